#include "platform/KtXMLMessagesBase/KtXMLMessagesBase.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

namespace
{
void ExpectSameMessage(const CNMessageBase& expected, const CNMessageBase& actual)
{
    EXPECT_EQ(expected.GetGroup(), actual.GetGroup());
    EXPECT_EQ(expected.GetType(), actual.GetType());
    ASSERT_EQ(expected.GetFields().size(), actual.GetFields().size());
    for (std::size_t i = 0; i < expected.GetFields().size(); ++i)
    {
        const CNMessageField& e = expected.GetFields()[i];
        const CNMessageField& a = actual.GetFields()[i];
        SCOPED_TRACE("field " + std::to_string(i));
        EXPECT_EQ(e.first, a.first);
        EXPECT_EQ(e.second, a.second);
        EXPECT_EQ(e.kind, a.kind);
        EXPECT_EQ(e.text, a.text);
        EXPECT_EQ(e.number, a.number);
        EXPECT_EQ(e.tag, a.tag);
        EXPECT_EQ(e.id, a.id);
        ASSERT_EQ(e.list.size(), a.list.size());
        for (std::size_t j = 0; j < e.list.size(); ++j)
            ExpectSameMessage(e.list[j], a.list[j]);
    }
}

std::vector<std::string> HostileStrings()
{
    std::string everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte += static_cast<char>(b);
    return {"",
            "a<b&c>d",
            "\"double\" and 'single'",
            "line\nfeed\ttab\rreturn",
            "  padded  ",
            "\xC3\xA9t\xC3\xA9 \xE6\xBC\xA2 \xF0\x9F\x99\x82",
            "\xFF\xFE invalid utf-8 \x80",
            "&amp; &#x41; already escaped",
            "</field></message>",
            std::string("nul\0inside", 10),
            everyByte};
}

CNMessageBase EmptyMessage()
{
    return CNMessageBase(0, 0);
}

// One field of every kind, an empty string, and lists both empty and holding an empty message.
CNMessageBase EveryKind()
{
    CNMessageBase child(1, 1);
    child.setstring(2, 2, "/data/file", 0, 0);
    std::vector<CNMessageBase> children{child, CNMessageBase(1, 2)};
    CNMessageBase message(24, 161);
    message.setstring(1, 1, "/data/file.txt", 0x774DF40D, 0x0026AFC1);
    message.setint64(11, 23, 5, 0x774DF40D, 0x005D8A46);
    message.setbstringobject(8, 17, bstring("0001"), 0x775BCECF, 0x004314F9);
    message.setlistobject(1, 1, &children, 7, 8);
    message.setlistobject(2, 2, nullptr, 9, 10);
    message.setstring(3, 3, "", 11, 12);
    return message;
}

CNMessageBase NumberExtremes()
{
    CNMessageBase message(SHRT_MIN, SHRT_MAX);
    message.setint64(SHRT_MIN, SHRT_MAX, LLONG_MIN, ULONG_MAX, UINT_MAX);
    message.setint64(SHRT_MAX, SHRT_MIN, LLONG_MAX, 0, 0);
    message.setint64(-1, -1, -1, 1, 1);
    message.setint64(0, 0, 0, 10, 10);
    return message;
}

// Every control byte, NUL in the middle, and DEL, between plain characters.
CNMessageBase ControlBytes()
{
    std::string text = "a";
    for (int b = 0; b < 0x20; ++b)
        text += static_cast<char>(b);
    text += "\x7F z";
    CNMessageBase message(1, 1);
    message.setstring(1, 1, text, 0, 0);
    message.setbstringobject(1, 2, bstring(std::string("\0\0", 2)), 0, 0);
    return message;
}

CNMessageBase Markup()
{
    CNMessageBase message(1, 1);
    message.setstring(1, 1, "a<b&c>d \"double\" 'single' &amp; &#x41; ]]>", 0, 0);
    message.setstring(1, 2, "</field></message>", 0, 0);
    return message;
}

// Valid UTF-8 and bytes that are not, both copied as they are.
CNMessageBase HighBytes()
{
    CNMessageBase message(1, 1);
    message.setstring(1, 1, "\xC3\xA9t\xC3\xA9 \xE6\xBC\xA2 \xF0\x9F\x99\x82", 0, 0);
    message.setbstringobject(1, 2, bstring("\xFF\xFE\x80 \xC3( \xED\xA0\x80 \xF4\x90\x80\x80"), 0, 0);
    return message;
}

// What an agent sends for one restored item.
CNMessageBase RestoredItem()
{
    const unsigned long tag = 0x774DF40D;
    CNMessageBase message(119, 59);
    message.setstring(1, 1, "/export/projects/2024/report final.docx", tag, 0x0026AFC1);
    message.setint64(11, 23, 3, tag, 0x005D8A46);
    message.setstring(2, 5, "/restore/projects/2024/report final.docx", tag, 0x001A9D77);
    message.setint64(3, 9, 0, tag, 0x009CB015);
    message.setint64(4, 10, 2, tag, 0x00CDCFF2);
    message.setint64(5, 11, 1, tag, 0x002582EA);
    message.setstring(6, 12, "delete-stub", tag, 0x006654C5);
    message.setint64(10, 22, 1042, tag, 0x007EF180);
    message.setint64(7, 16, 12, tag, 0x005BCBCC);
    message.setbstringobject(8, 17, bstring("FFF0"), tag, 0x004314F9);
    message.setstring(9, 18, "{\"owner\":\"svc\",\"mode\":420}", tag, 0x002D7B2F);
    return message;
}

CNMessageBase NestedMessage()
{
    CNMessageBase inner(-1, SHRT_MAX);
    inner.setstring(1, 2, "inner <text>", 3, 4);
    std::vector<CNMessageBase> innerList{inner, CNMessageBase(5, 6)};
    CNMessageBase middle(7, 8);
    middle.setlistobject(9, 10, &innerList, 11, 12);
    std::vector<CNMessageBase> outerList{middle};

    CNMessageBase root(119, 74);
    root.setlistobject(1, 1, &outerList, 0x774DF40D, 0x00F958CF);
    root.setlistobject(2, 2, nullptr, 0, 0);
    root.setint64(SHRT_MIN, SHRT_MAX, LLONG_MIN, ULONG_MAX, UINT_MAX);
    root.setint64(0, 0, LLONG_MAX, 0, 0);
    root.setbstringobject(8, 17, bstring("0001"), 0x775BCECF, 0x004314F9);
    return root;
}

std::string Serialized(const CNMessageBase& message, bool indent = false)
{
    std::string xml;
    message.serialize(xml, indent);
    return xml;
}

// A message that deserialize must not touch when it refuses the text.
CNMessageBase Sentinel()
{
    CNMessageBase sentinel(42, 43);
    sentinel.setstring(1, 1, "keep me", 2, 3);
    return sentinel;
}

void ExpectRefused(const std::string& xml)
{
    CNMessageBase message = Sentinel();
    EXPECT_FALSE(message.deserialize(xml)) << xml;
    ExpectSameMessage(Sentinel(), message);
}

std::string Nested(int depth)
{
    std::string xml;
    for (int i = 0; i < depth; ++i)
        xml += "<message group=\"1\" type=\"1\"><field first=\"1\" second=\"1\" kind=\"list\" tag=\"0\" id=\"0\">";
    xml += "<message group=\"1\" type=\"1\"></message>";
    for (int i = 0; i < depth; ++i)
        xml += "</field></message>";
    return xml;
}

struct GoldenText
{
    CNMessageBase (*make)();
    bool indent;
    const char* text;
};

// The exact bytes the writer gives; receivers compare and store them, so they must never change.
const GoldenText Goldens[] = {
    {EmptyMessage, false,
     "<message group=\"0\" type=\"0\"></message>"
    },
    {EmptyMessage, true,
     "<message group=\"0\" type=\"0\"></message>"
    },
    {EveryKind, false,
     "<message group=\"24\" type=\"161\"><field first=\"1\" second=\"1\" kind=\"string\""
     " tag=\"2001597453\" id=\"2535361\">/data/file.txt</field><field first=\"11\" second=\"23\""
     " kind=\"int64\" tag=\"2001597453\" id=\"6130246\">5</field><field first=\"8\" second=\"17\""
     " kind=\"bstring\" tag=\"2002505423\" id=\"4396281\">0001</field><field first=\"1\" second=\"1\""
     " kind=\"list\" tag=\"7\" id=\"8\"><message group=\"1\" type=\"1\"><field first=\"2\" second=\"2\""
     " kind=\"string\" tag=\"0\" id=\"0\">/data/file</field></message><message group=\"1\" type=\"2\">"
     "</message></field><field first=\"2\" second=\"2\" kind=\"list\" tag=\"9\" id=\"10\"></field><field"
     " first=\"3\" second=\"3\" kind=\"string\" tag=\"11\" id=\"12\"></field></message>"
    },
    {EveryKind, true,
     "<message group=\"24\" type=\"161\">\n"
     "  <field first=\"1\" second=\"1\" kind=\"string\" tag=\"2001597453\" id=\"2535361\">/data/file.txt"
     "</field>\n"
     "  <field first=\"11\" second=\"23\" kind=\"int64\" tag=\"2001597453\" id=\"6130246\">5</field>\n"
     "  <field first=\"8\" second=\"17\" kind=\"bstring\" tag=\"2002505423\" id=\"4396281\">0001</field>\n"
     "  <field first=\"1\" second=\"1\" kind=\"list\" tag=\"7\" id=\"8\">\n"
     "    <message group=\"1\" type=\"1\">\n"
     "      <field first=\"2\" second=\"2\" kind=\"string\" tag=\"0\" id=\"0\">/data/file</field>\n"
     "    </message>\n"
     "    <message group=\"1\" type=\"2\"></message>\n"
     "  </field>\n"
     "  <field first=\"2\" second=\"2\" kind=\"list\" tag=\"9\" id=\"10\"></field>\n"
     "  <field first=\"3\" second=\"3\" kind=\"string\" tag=\"11\" id=\"12\"></field>\n"
     "</message>"
    },
    {NumberExtremes, false,
     "<message group=\"-32768\" type=\"32767\"><field first=\"-32768\" second=\"32767\" kind=\"int64\""
     " tag=\"18446744073709551615\" id=\"4294967295\">-9223372036854775808</field><field first=\"32767\""
     " second=\"-32768\" kind=\"int64\" tag=\"0\" id=\"0\">9223372036854775807</field><field first=\"-1\""
     " second=\"-1\" kind=\"int64\" tag=\"1\" id=\"1\">-1</field><field first=\"0\" second=\"0\""
     " kind=\"int64\" tag=\"10\" id=\"10\">0</field></message>"
    },
    {NumberExtremes, true,
     "<message group=\"-32768\" type=\"32767\">\n"
     "  <field first=\"-32768\" second=\"32767\" kind=\"int64\" tag=\"18446744073709551615\""
     " id=\"4294967295\">-9223372036854775808</field>\n"
     "  <field first=\"32767\" second=\"-32768\" kind=\"int64\" tag=\"0\" id=\"0\">9223372036854775807"
     "</field>\n"
     "  <field first=\"-1\" second=\"-1\" kind=\"int64\" tag=\"1\" id=\"1\">-1</field>\n"
     "  <field first=\"0\" second=\"0\" kind=\"int64\" tag=\"10\" id=\"10\">0</field>\n"
     "</message>"
    },
    {ControlBytes, false,
     "<message group=\"1\" type=\"1\"><field first=\"1\" second=\"1\" kind=\"string\" tag=\"0\" id=\"0\">a"
     "&#x00;&#x01;&#x02;&#x03;&#x04;&#x05;&#x06;&#x07;&#x08;&#x09;&#x0A;&#x0B;&#x0C;&#x0D;&#x0E;&#x0F;"
     "&#x10;&#x11;&#x12;&#x13;&#x14;&#x15;&#x16;&#x17;&#x18;&#x19;&#x1A;&#x1B;&#x1C;&#x1D;&#x1E;&#x1F;"
     "&#x7F; z</field><field first=\"1\" second=\"2\" kind=\"bstring\" tag=\"0\" id=\"0\">&#x00;&#x00;"
     "</field></message>"
    },
    {ControlBytes, true,
     "<message group=\"1\" type=\"1\">\n"
     "  <field first=\"1\" second=\"1\" kind=\"string\" tag=\"0\" id=\"0\">a&#x00;&#x01;&#x02;&#x03;&#x04;"
     "&#x05;&#x06;&#x07;&#x08;&#x09;&#x0A;&#x0B;&#x0C;&#x0D;&#x0E;&#x0F;&#x10;&#x11;&#x12;&#x13;&#x14;"
     "&#x15;&#x16;&#x17;&#x18;&#x19;&#x1A;&#x1B;&#x1C;&#x1D;&#x1E;&#x1F;&#x7F; z</field>\n"
     "  <field first=\"1\" second=\"2\" kind=\"bstring\" tag=\"0\" id=\"0\">&#x00;&#x00;</field>\n"
     "</message>"
    },
    {Markup, false,
     "<message group=\"1\" type=\"1\"><field first=\"1\" second=\"1\" kind=\"string\" tag=\"0\" id=\"0\">a"
     "&lt;b&amp;c&gt;d &quot;double&quot; &apos;single&apos; &amp;amp; &amp;#x41; ]]&gt;</field><field"
     " first=\"1\" second=\"2\" kind=\"string\" tag=\"0\" id=\"0\">&lt;/field&gt;&lt;/message&gt;</field>"
     "</message>"
    },
    {Markup, true,
     "<message group=\"1\" type=\"1\">\n"
     "  <field first=\"1\" second=\"1\" kind=\"string\" tag=\"0\" id=\"0\">a&lt;b&amp;c&gt;d &quot;double"
     "&quot; &apos;single&apos; &amp;amp; &amp;#x41; ]]&gt;</field>\n"
     "  <field first=\"1\" second=\"2\" kind=\"string\" tag=\"0\" id=\"0\">&lt;/field&gt;&lt;/message&gt;"
     "</field>\n"
     "</message>"
    },
    {HighBytes, false,
     "<message group=\"1\" type=\"1\"><field first=\"1\" second=\"1\" kind=\"string\" tag=\"0\" id=\"0\">"
     "\xC3\xA9t\xC3\xA9 \xE6\xBC\xA2 \xF0\x9F\x99\x82</field><field first=\"1\" second=\"2\""
     " kind=\"bstring\" tag=\"0\" id=\"0\">\xFF\xFE\x80 \xC3( \xED\xA0\x80 \xF4\x90\x80\x80</field>"
     "</message>"
    },
    {HighBytes, true,
     "<message group=\"1\" type=\"1\">\n"
     "  <field first=\"1\" second=\"1\" kind=\"string\" tag=\"0\" id=\"0\">\xC3\xA9t\xC3\xA9 \xE6\xBC\xA2 "
     "\xF0\x9F\x99\x82</field>\n"
     "  <field first=\"1\" second=\"2\" kind=\"bstring\" tag=\"0\" id=\"0\">\xFF\xFE\x80 \xC3( "
     "\xED\xA0\x80 \xF4\x90\x80\x80</field>\n"
     "</message>"
    },
    {RestoredItem, false,
     "<message group=\"119\" type=\"59\"><field first=\"1\" second=\"1\" kind=\"string\""
     " tag=\"2001597453\" id=\"2535361\">/export/projects/2024/report final.docx</field><field"
     " first=\"11\" second=\"23\" kind=\"int64\" tag=\"2001597453\" id=\"6130246\">3</field><field"
     " first=\"2\" second=\"5\" kind=\"string\" tag=\"2001597453\" id=\"1744247\">"
     "/restore/projects/2024/report final.docx</field><field first=\"3\" second=\"9\" kind=\"int64\""
     " tag=\"2001597453\" id=\"10268693\">0</field><field first=\"4\" second=\"10\" kind=\"int64\""
     " tag=\"2001597453\" id=\"13488114\">2</field><field first=\"5\" second=\"11\" kind=\"int64\""
     " tag=\"2001597453\" id=\"2458346\">1</field><field first=\"6\" second=\"12\" kind=\"string\""
     " tag=\"2001597453\" id=\"6706373\">delete-stub</field><field first=\"10\" second=\"22\""
     " kind=\"int64\" tag=\"2001597453\" id=\"8319360\">1042</field><field first=\"7\" second=\"16\""
     " kind=\"int64\" tag=\"2001597453\" id=\"6015948\">12</field><field first=\"8\" second=\"17\""
     " kind=\"bstring\" tag=\"2001597453\" id=\"4396281\">FFF0</field><field first=\"9\" second=\"18\""
     " kind=\"string\" tag=\"2001597453\" id=\"2980655\">{&quot;owner&quot;:&quot;svc&quot;,&quot;mode"
     "&quot;:420}</field></message>"
    },
    {RestoredItem, true,
     "<message group=\"119\" type=\"59\">\n"
     "  <field first=\"1\" second=\"1\" kind=\"string\" tag=\"2001597453\" id=\"2535361\">"
     "/export/projects/2024/report final.docx</field>\n"
     "  <field first=\"11\" second=\"23\" kind=\"int64\" tag=\"2001597453\" id=\"6130246\">3</field>\n"
     "  <field first=\"2\" second=\"5\" kind=\"string\" tag=\"2001597453\" id=\"1744247\">"
     "/restore/projects/2024/report final.docx</field>\n"
     "  <field first=\"3\" second=\"9\" kind=\"int64\" tag=\"2001597453\" id=\"10268693\">0</field>\n"
     "  <field first=\"4\" second=\"10\" kind=\"int64\" tag=\"2001597453\" id=\"13488114\">2</field>\n"
     "  <field first=\"5\" second=\"11\" kind=\"int64\" tag=\"2001597453\" id=\"2458346\">1</field>\n"
     "  <field first=\"6\" second=\"12\" kind=\"string\" tag=\"2001597453\" id=\"6706373\">delete-stub"
     "</field>\n"
     "  <field first=\"10\" second=\"22\" kind=\"int64\" tag=\"2001597453\" id=\"8319360\">1042</field>\n"
     "  <field first=\"7\" second=\"16\" kind=\"int64\" tag=\"2001597453\" id=\"6015948\">12</field>\n"
     "  <field first=\"8\" second=\"17\" kind=\"bstring\" tag=\"2001597453\" id=\"4396281\">FFF0</field>\n"
     "  <field first=\"9\" second=\"18\" kind=\"string\" tag=\"2001597453\" id=\"2980655\">{&quot;owner"
     "&quot;:&quot;svc&quot;,&quot;mode&quot;:420}</field>\n"
     "</message>"
    },
    {NestedMessage, false,
     "<message group=\"119\" type=\"74\"><field first=\"1\" second=\"1\" kind=\"list\" tag=\"2001597453\""
     " id=\"16341199\"><message group=\"7\" type=\"8\"><field first=\"9\" second=\"10\" kind=\"list\""
     " tag=\"11\" id=\"12\"><message group=\"-1\" type=\"32767\"><field first=\"1\" second=\"2\""
     " kind=\"string\" tag=\"3\" id=\"4\">inner &lt;text&gt;</field></message><message group=\"5\""
     " type=\"6\"></message></field></message></field><field first=\"2\" second=\"2\" kind=\"list\""
     " tag=\"0\" id=\"0\"></field><field first=\"-32768\" second=\"32767\" kind=\"int64\""
     " tag=\"18446744073709551615\" id=\"4294967295\">-9223372036854775808</field><field first=\"0\""
     " second=\"0\" kind=\"int64\" tag=\"0\" id=\"0\">9223372036854775807</field><field first=\"8\""
     " second=\"17\" kind=\"bstring\" tag=\"2002505423\" id=\"4396281\">0001</field></message>"
    },
    {NestedMessage, true,
     "<message group=\"119\" type=\"74\">\n"
     "  <field first=\"1\" second=\"1\" kind=\"list\" tag=\"2001597453\" id=\"16341199\">\n"
     "    <message group=\"7\" type=\"8\">\n"
     "      <field first=\"9\" second=\"10\" kind=\"list\" tag=\"11\" id=\"12\">\n"
     "        <message group=\"-1\" type=\"32767\">\n"
     "          <field first=\"1\" second=\"2\" kind=\"string\" tag=\"3\" id=\"4\">inner &lt;text&gt;"
     "</field>\n"
     "        </message>\n"
     "        <message group=\"5\" type=\"6\"></message>\n"
     "      </field>\n"
     "    </message>\n"
     "  </field>\n"
     "  <field first=\"2\" second=\"2\" kind=\"list\" tag=\"0\" id=\"0\"></field>\n"
     "  <field first=\"-32768\" second=\"32767\" kind=\"int64\" tag=\"18446744073709551615\""
     " id=\"4294967295\">-9223372036854775808</field>\n"
     "  <field first=\"0\" second=\"0\" kind=\"int64\" tag=\"0\" id=\"0\">9223372036854775807</field>\n"
     "  <field first=\"8\" second=\"17\" kind=\"bstring\" tag=\"2002505423\" id=\"4396281\">0001</field>\n"
     "</message>"
    }
};

// Text the writer never produces but the reader takes, with the compact text it reads as.
struct AcceptedText
{
    std::string input;
    const char* compact;
};

std::string StringFields(const std::string& a, const std::string& b = "")
{
    const std::string field = "<field first=\"1\" second=\"1\" kind=\"string\" tag=\"0\" id=\"0\">";
    std::string xml = "<message group=\"1\" type=\"1\">" + field + a + "</field>";
    if (!b.empty())
        xml += field + b + "</field>";
    return xml + "</message>";
}

const std::vector<AcceptedText>& Accepted()
{
    static const std::vector<AcceptedText> accepted = {
        // Whitespace around the message, its attributes and the ends of tags; either quote; any order.
        {"\n <message  type = '2'\tgroup=\"1\" >\r\n<field id='6' tag='5' kind='list' second='4' first='3'\n/>"
         "<field first='3' second='4' kind='string' tag='5' id='6'/>\t</message\n>\r\n",
         "<message group=\"1\" type=\"2\"><field first=\"3\" second=\"4\" kind=\"list\" tag=\"5\" id=\"6\">"
         "</field><field first=\"3\" second=\"4\" kind=\"string\" tag=\"5\" id=\"6\"></field></message>"
        },
        // Empty elements, and whitespace between the messages of a list.
        {"<message group=\"1\" type=\"1\"/>",
         "<message group=\"1\" type=\"1\"></message>"
        },
        {"<message group=\"1\" type=\"1\"><field first=\"1\" second=\"1\" kind=\"list\" tag=\"0\" id=\"0\">\n"
         " <message group=\"2\" type=\"2\"/><message group=\"3\" type=\"3\"></message >\n</field ></message>",
         "<message group=\"1\" type=\"1\"><field first=\"1\" second=\"1\" kind=\"list\" tag=\"0\" id=\"0\">"
         "<message group=\"2\" type=\"2\"></message><message group=\"3\" type=\"3\"></message></field>"
         "</message>"
        },
        // Text stands as written: whitespace only, raw control and high bytes, a raw NUL.
        {StringFields("   ", "\r\n\t>\"'\x01\x7F\xFF\xC3"),
         "<message group=\"1\" type=\"1\"><field first=\"1\" second=\"1\" kind=\"string\" tag=\"0\" id=\"0\">"
         "   </field><field first=\"1\" second=\"1\" kind=\"string\" tag=\"0\" id=\"0\">&#x0D;&#x0A;&#x09;&gt;"
         "&quot;&apos;&#x01;&#x7F;\xFF\xC3</field></message>"
        },
        {StringFields(std::string("a\0b", 3)),
         "<message group=\"1\" type=\"1\"><field first=\"1\" second=\"1\" kind=\"string\" tag=\"0\" id=\"0\">a"
         "&#x00;b</field></message>"
        },
        // References of either base, NUL and the largest code point included.
        {StringFields("&#0;&#65;&#x41;&#x0000041;&#1114111;&#x10FFFF;&#xFFFF;&#233;&#x7f;&quot;&apos;"),
         "<message group=\"1\" type=\"1\"><field first=\"1\" second=\"1\" kind=\"string\" tag=\"0\" id=\"0\">"
         "&#x00;AAA\xF4\x8F\xBF\xBF\xF4\x8F\xBF\xBF\xEF\xBF\xBF\xC3\xA9&#x7F;&quot;&apos;</field></message>"
        },
        // Leading zeros, negative zero, whitespace around an int64.
        {"<message group=\"-0\" type=\"00001\"><field first=\"-00032768\" second=\"032767\" kind=\"int64\""
         " tag=\"0018446744073709551615\" id=\"04294967295\"> \r\n\t-0042 &#x20;\t</field></message>",
         "<message group=\"0\" type=\"1\"><field first=\"-32768\" second=\"32767\" kind=\"int64\""
         " tag=\"18446744073709551615\" id=\"4294967295\">-42</field></message>"
        },
        // References are decoded in attribute values and numbers too.
        {"<message group=\"&#x31;\" type=\"&#50;\"><field first=\"1\" second=\"1\" kind=\"int64\" tag=\"0\" id=\"0\">"
         "&#x2D;5</field><field first=\"1\" second=\"1\" kind=\"&#x73;tring\" tag=\"0\" id=\"0\">x</field></message>",
         "<message group=\"1\" type=\"2\"><field first=\"1\" second=\"1\" kind=\"int64\" tag=\"0\" id=\"0\">-5"
         "</field><field first=\"1\" second=\"1\" kind=\"string\" tag=\"0\" id=\"0\">x</field></message>"
        },
    };
    return accepted;
}
} // namespace

TEST(NMessageXml, FieldsKeepTheOrderTheyWereSetIn)
{
    CNMessageBase message(119, 59);
    message.setint64(11, 23, 5, 1, 2);
    message.setstring(1, 1, "path", 1, 3);
    ASSERT_EQ(2u, message.GetFields().size());
    EXPECT_EQ(CNMessageField::Int64, message.GetFields()[0].kind);
    EXPECT_EQ(5, message.GetFields()[0].number);
    EXPECT_EQ(CNMessageField::String, message.GetFields()[1].kind);
    EXPECT_EQ("path", message.GetFields()[1].text);
}

TEST(NMessageXml, HostileStringsSurviveRoundTripInBothLayouts)
{
    for (bool indent : {false, true})
    {
        CNMessageBase original(119, 59);
        unsigned int id = 0;
        for (const std::string& text : HostileStrings())
        {
            original.setstring(1, 1, text, 0, ++id);
            original.setbstringobject(8, 17, bstring(text), 0, ++id);
        }
        CNMessageBase copy(0, 0);
        ASSERT_TRUE(copy.deserialize(Serialized(original, indent)));
        ExpectSameMessage(original, copy);
    }
}

TEST(NMessageXml, NestedListsAndNumericExtremesRoundTrip)
{
    for (bool indent : {false, true})
    {
        CNMessageBase copy(0, 0);
        ASSERT_TRUE(copy.deserialize(Serialized(NestedMessage(), indent)));
        ExpectSameMessage(NestedMessage(), copy);
    }
}

TEST(NMessageXml, CompactTextHoldsNoControlBytes)
{
    // The XDR path hands the text on as a C string: a NUL or raw newline inside would cut or split it.
    CNMessageBase message(1, 1);
    for (const std::string& text : HostileStrings())
        message.setstring(1, 1, text, 0, 0);
    for (char c : Serialized(message))
        ASSERT_GE(static_cast<unsigned char>(c), 0x20u);
}

TEST(NMessageXml, AcceptsWhitespaceSingleQuotesAndEmptyElements)
{
    CNMessageBase message(0, 0);
    ASSERT_TRUE(message.deserialize("\n <message  type = '2'\tgroup=\"1\" >\r\n"
                                    "  <field first='3' second='4' kind='string' tag='5' id='6'/>\n"
                                    "  <field first='3' second='4' kind='int64' tag='5' id='6'> -17 </field>\n"
                                    "  <field first='3' second='4' kind='list' tag='5' id='6'/>\n"
                                    "  <field first='3' second='4' kind='string' tag='5' id='6'>"
                                    "&#233;&#x1F642;</field>\n"
                                    "</message >\n"));
    EXPECT_EQ(1, message.GetGroup());
    EXPECT_EQ(2, message.GetType());
    ASSERT_EQ(4u, message.GetFields().size());
    EXPECT_EQ("", message.GetFields()[0].text);
    EXPECT_EQ(-17, message.GetFields()[1].number);
    EXPECT_TRUE(message.GetFields()[2].list.empty());
    EXPECT_EQ("\xC3\xA9\xF0\x9F\x99\x82", message.GetFields()[3].text);
}

TEST(NMessageXml, RefusesMalformedText)
{
    const std::string field = "<field first=\"1\" second=\"1\" kind=\"string\" tag=\"0\" id=\"0\">";
    const std::string open = "<message group=\"1\" type=\"1\">";
    const std::vector<std::string> inputs = {
        "",
        "   ",
        "not xml",
        open + field + "x</message>",                                  // unbalanced
        open + field + "x</field>",                                    // root never closed
        open + field + "x</field></message><message/>",                // two roots
        open + field + "x</field></message>trailing",                  // trailing text
        open + "</field></message>",                                   // stray end tag
        open + field + "a < b</field></message>",                      // raw '<'
        open + field + "&foo;</field></message>",                      // unknown entity
        open + field + "&amp</field></message>",                       // unterminated entity
        open + field + "&#;</field></message>",                        // empty reference
        open + field + "&#x;</field></message>",
        open + field + "&#xD800;</field></message>",                   // surrogate
        open + field + "&#x110000;</field></message>",                 // beyond Unicode
        open + field + "&#99999999999999999999;</field></message>",    // overflowing
        "<message group=\"1\"></message>",                            // missing attribute
        "<message group=\"1\" type=\"1\" type=\"1\"></message>",      // duplicate attribute
        "<message group=\"1\" type=\"1\" extra=\"1\"></message>",     // unknown attribute
        "<message group=\"40000\" type=\"1\"></message>",             // short out of range
        "<message group=\"+1\" type=\"1\"></message>",
        "<message group=\"1\"type=\"1\"></message>",                  // no space between
        "<message group=1 type=\"1\"></message>",                     // unquoted
        "<message group=\"1\" type=\"1\"></messagex>",
        "<messages group=\"1\" type=\"1\"></messages>",
        open + "<field first=\"1\" second=\"1\" kind=\"float\" tag=\"0\" id=\"0\">1</field></message>",
        open + "<field first=\"1\" second=\"1\" kind=\"int64\" tag=\"0\" id=\"0\">"
               "9223372036854775808</field></message>",
        open + "<field first=\"1\" second=\"1\" kind=\"int64\" tag=\"0\" id=\"0\">12a</field></message>",
        open + "<field first=\"1\" second=\"1\" kind=\"int64\" tag=\"0\" id=\"0\"></field></message>",
        open + "<field first=\"1\" second=\"1\" kind=\"int64\" tag=\"0\" id=\"0\"/></message>",
        open + "<field first=\"1\" second=\"1\" kind=\"string\" tag=\"-1\" id=\"0\">x</field></message>",
        open + "<field first=\"1\" second=\"1\" kind=\"string\" tag=\"0\" id=\"4294967296\">x</field></message>",
        open + "<field first=\"1\" second=\"1\" kind=\"list\" tag=\"0\" id=\"0\">text</field></message>",
        open + "<field first=\"1\" second=\"1\" kind=\"list\" tag=\"0\" id=\"0\"><field/></field></message>",
        open + "text</message>",
        "<message group=\"1\" type=\"1\" title=\"a<b\"></message>",
    };
    for (const std::string& xml : inputs)
        ExpectRefused(xml);
}

TEST(NMessageXml, BoundsNestingDepth)
{
    CNMessageBase message(0, 0);
    EXPECT_TRUE(message.deserialize(Nested(CNMessageBase::MaxNestingDepth - 1)));
    ExpectRefused(Nested(CNMessageBase::MaxNestingDepth));
    ExpectRefused(Nested(100000)); // would exhaust the stack without the bound
}

TEST(NMessageXml, SurvivesRandomBytesAndMutations)
{
    std::mt19937 random(20240601u);
    const std::string valid = Serialized(NestedMessage(), true);
    for (int round = 0; round < 3000; ++round)
    {
        std::string xml;
        if (round % 2 == 0)
        {
            xml.resize(random() % 200);
            for (char& c : xml)
                c = static_cast<char>(random() % 256);
        }
        else
        {
            xml = valid;
            for (int flips = 1 + static_cast<int>(random() % 4); flips > 0; --flips)
                xml[random() % xml.size()] = static_cast<char>(random() % 256);
        }
        CNMessageBase message(0, 0);
        message.deserialize(xml); // the outcome may go either way; it must not crash or overread
    }
}

TEST(NMessageXml, WritesTheGoldenTextsByteForByte)
{
    for (const GoldenText& golden : Goldens)
        EXPECT_EQ(golden.text, Serialized(golden.make(), golden.indent));
}

TEST(NMessageXml, ReadsTheGoldenTextsAsTheMessagesTheyCameFrom)
{
    for (const GoldenText& golden : Goldens)
    {
        SCOPED_TRACE(golden.text);
        CNMessageBase message = Sentinel();
        ASSERT_TRUE(message.deserialize(golden.text));
        ExpectSameMessage(golden.make(), message);
    }
}

TEST(NMessageXml, ReadsEveryFormItAcceptsAsTheSameMessage)
{
    for (const AcceptedText& accepted : Accepted())
    {
        CNMessageBase message = Sentinel();
        ASSERT_TRUE(message.deserialize(accepted.input)) << accepted.input;
        EXPECT_EQ(accepted.compact, Serialized(message)) << accepted.input;
    }
}

TEST(NMessageXml, RefusesEveryTruncationOfAGoldenTextAndLeavesTheMessageUnchanged)
{
    for (const GoldenText& golden : Goldens)
    {
        const std::string xml = golden.text;
        for (std::size_t length = 0; length < xml.size(); ++length)
            ExpectRefused(xml.substr(0, length));
    }
}

namespace
{
const std::string StringField = "<field first=\"1\" second=\"1\" kind=\"string\" tag=\"0\" id=\"0\">";
const std::string Int64Field = "<field first=\"1\" second=\"1\" kind=\"int64\" tag=\"0\" id=\"0\">";
const std::string ListField = "<field first=\"1\" second=\"1\" kind=\"list\" tag=\"0\" id=\"0\">";
const std::string Open = "<message group=\"1\" type=\"1\">";
const std::string Empty = "<message group=\"1\" type=\"1\"></message>";
const std::string Nul(1, '\0');

void ExpectAllRefused(const std::vector<std::string>& inputs)
{
    for (const std::string& xml : inputs)
        ExpectRefused(xml);
}
} // namespace

TEST(NMessageXml, RefusesAnythingBesideTheOneMessage)
{
    ExpectAllRefused({
        Empty + "x", Empty + "<", Empty + "&#x20;", Empty + Nul, Empty + Empty, Empty + "<!-- c -->",
        Empty + "<?pi x?>", "\xEF\xBB\xBF" + Empty, "x" + Empty, "<?xml version=\"1.0\"?>" + Empty,
        "<!DOCTYPE message>" + Empty, "<!-- c -->" + Empty, Nul + Empty, "&#x20;" + Empty,
        StringField + "x</field>",
    });
}

TEST(NMessageXml, RefusesMarkupTheWriterNeverWrites)
{
    ExpectAllRefused({
        Open + StringField + "<![CDATA[x]]></field></message>",
        Open + StringField + "a<!-- c -->b</field></message>",
        Open + "<?pi x?></message>",
        Open + "<!-- c --></message>",
        Open + StringField + "<b/></field></message>",
        Open + Int64Field + "<b/>1</field></message>",
        Open + Empty + "</message>",
        Open + ListField + StringField + "x</field></field></message>",
        Open + ListField + "x" + Empty + "</field></message>",
        Open + "&#x20;</message>",
        Open + ListField + "&#x20;</field></message>",
        Open + Nul + "</message>",
        "< message group=\"1\" type=\"1\"></message>",
        "<message group=\"1\" type=\"1\"></ message>",
        "<message group=\"1\" type=\"1\"></message junk>",
        "<message group=\"1\" type=\"1\"/ >",
        "<Message group=\"1\" type=\"1\"></Message>",
        "<message:x group=\"1\" type=\"1\"></message:x>",
        "<message group type=\"1\"></message>",
        "<message group\"1\" type=\"1\"></message>",
        "<message group=\"1' type=\"1\"></message>",
        "<message group=\"1<\" type=\"1\"></message>",
        "<message group=\"1\" type=\"1\"><message>",
    });
}

TEST(NMessageXml, RefusesBadReferencesInTextAndAttributes)
{
    for (const char* reference : {"&#X41;", "&AMP;", "&#x41", "&#x00000041;", "&#11141110;", "&#1114112;", "&#xDFFF;",
                                  "&#-1;", "& amp;", "&#x 41;", "&#x4G;", "&#a;", "&;", "&ampamp;"})
    {
        ExpectRefused(StringFields(reference));
        ExpectRefused("<message group=\"1" + std::string(reference) + "\" type=\"1\"></message>");
    }
}

TEST(NMessageXml, RefusesNumbersOutOfRangeOrNotPlainDecimal)
{
    ExpectAllRefused({
        "<message group=\"-32769\" type=\"1\"></message>",
        "<message group=\"32768\" type=\"1\"></message>",
        "<message group=\"\" type=\"1\"></message>",
        "<message group=\" 1\" type=\"1\"></message>",
        "<message group=\"1 \" type=\"1\"></message>",
        "<message group=\"0x1\" type=\"1\"></message>",
        "<message group=\"1e2\" type=\"1\"></message>",
        "<message group=\"1\" type=\"+1\"></message>",
        "<message group=\"1\" type=\"-\"></message>",
        Open + "<field first=\"32768\" second=\"1\" kind=\"string\" tag=\"0\" id=\"0\"/></message>",
        Open + "<field first=\"1\" second=\"-32769\" kind=\"string\" tag=\"0\" id=\"0\"/></message>",
        Open + "<field first=\"1\" second=\"1\" kind=\"string\" tag=\"18446744073709551616\" id=\"0\"/></message>",
        Open + "<field first=\"1\" second=\"1\" kind=\"string\" tag=\"0\" id=\"-0\"/></message>",
        Open + Int64Field + "-9223372036854775809</field></message>",
        Open + Int64Field + "+5</field></message>",
        Open + Int64Field + "5 5</field></message>",
        Open + Int64Field + "- 5</field></message>",
        Open + Int64Field + "-</field></message>",
        Open + Int64Field + "1.0</field></message>",
        Open + Int64Field + "&#x20;5</field></message>",
        Open + Int64Field + "5" + Nul + "</field></message>",
    });
}

TEST(NMessageXml, RefusesAttributeSetsThatAreNotExactlyTheWritersOwn)
{
    ExpectAllRefused({
        Open + "<field first=\"1\" second=\"1\" kind=\"string\" tag=\"0\"/></message>",
        Open + "<field first=\"1\" second=\"1\" kind=\"string\" tag=\"0\" id=\"0\" x=\"0\"/></message>",
        Open + "<field first=\"1\" second=\"1\" kind=\"string\" kind=\"string\" id=\"0\"/></message>",
        Open + "<field first=\"1\" second=\"1\" kind=\"String\" tag=\"0\" id=\"0\"/></message>",
        Open + "<field first=\"1\" second=\"1\" kind=\"\" tag=\"0\" id=\"0\"/></message>",
        Open + "<field first=\"1\" second=\"1\" kind=\"string \" tag=\"0\" id=\"0\"/></message>",
        "<message group=\"1\" type=\"1\" first=\"1\"></message>",
        "<message type=\"1\" type=\"1\"></message>",
        "<message></message>",
        "<message group=\"1\" type=\"1\" group=\"1\"></message>",
        "<message group=\"1\" type=\"1\" GROUP=\"1\"></message>",
    });
}
