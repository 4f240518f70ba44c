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
                                    "  <field first='3' second='4' kind='string' tag='5' id='6'>&#233;&#x1F642;</field>\n"
                                    "</message >\n"));
    EXPECT_EQ(1, message.GetGroup());
    EXPECT_EQ(2, message.GetType());
    ASSERT_EQ(4u, message.GetFields().size());
    EXPECT_EQ("", message.GetFields()[0].text);
    EXPECT_EQ(-17, message.GetFields()[1].number);
    EXPECT_TRUE(message.GetFields()[2].list.empty());
    EXPECT_EQ("\xC3\xA9\xF0\x9F\x99\x82", message.GetFields()[3].text);
}

TEST(NMessageXml, RefusesEveryTruncationAndLeavesTheMessageUnchanged)
{
    const std::string xml = Serialized(NestedMessage(), true);
    for (std::size_t length = 0; length < xml.size(); ++length)
    {
        // Cutting only trailing whitespace would still be whole; the indented text ends in '>'.
        ExpectRefused(xml.substr(0, length));
    }
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
        open + "<field first=\"1\" second=\"1\" kind=\"int64\" tag=\"0\" id=\"0\">9223372036854775808</field></message>",
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
