#include "platform/ZuUtils/FXErrorUtil.h"
#include "transport/redis/StreamEntryCodec.h"

#include <gtest/gtest.h>

using FILEEXTENT_COLLECTOR::CCollectorMessage;
using namespace FILEEXTENT_REDIS;

namespace
{
CStreamFields XdrFields()
{
    return {{"agent", "agent-1"}, {"incarnation", "3"}, {"seq", "17"},
            {"kind", "xdr"},      {"number", "402653345"}, {"data", std::string("\0\1\2", 3)}};
}

CStreamFields Without(CStreamFields fields, const std::string& name)
{
    for (auto it = fields.begin(); it != fields.end(); ++it)
    {
        if (it->first == name)
        {
            fields.erase(it);
            break;
        }
    }
    return fields;
}

CStreamFields With(CStreamFields fields, const std::string& name, const std::string& value)
{
    for (auto& field : fields)
    {
        if (field.first == name)
            field.second = value;
    }
    return fields;
}
} // namespace

TEST(StreamEntryCodecTest, MessagesBecomeExactlyTheEntryFieldsAndComeBack)
{
    CCollectorMessage xdr;
    xdr.AgentId = "agent-1";
    xdr.Incarnation = 3;
    xdr.Sequence = 17;
    xdr.MessageKind = CCollectorMessage::Xdr;
    xdr.MessageNumber = 0x180000A1;
    xdr.Payload.assign("\0\1\2", 3);
    CStreamFields fields;
    ASSERT_FALSE(CStreamEntryCodec::ToFields(xdr, fields).IsError());
    EXPECT_EQ(XdrFields(), fields);

    CCollectorMessage xml = xdr;
    xml.MessageKind = CCollectorMessage::Xml;
    xml.MessageNumber = 0;
    xml.Sequence = 18446744073709551615ULL;
    ASSERT_FALSE(CStreamEntryCodec::ToFields(xml, fields).IsError());
    const CStreamFields expected = {{"agent", "agent-1"},
                                    {"incarnation", "3"},
                                    {"seq", "18446744073709551615"},
                                    {"kind", "xml"},
                                    {"data", std::string("\0\1\2", 3)}};
    EXPECT_EQ(expected, fields);

    CCollectorMessage back;
    ASSERT_FALSE(CStreamEntryCodec::FromFields(fields, back).IsError());
    EXPECT_EQ(xml.AgentId, back.AgentId);
    EXPECT_EQ(xml.Incarnation, back.Incarnation);
    EXPECT_EQ(xml.Sequence, back.Sequence);
    EXPECT_EQ(CCollectorMessage::Xml, back.MessageKind);
    EXPECT_EQ(xml.Payload, back.Payload);
}

TEST(StreamEntryCodecTest, MessagesNoEntryMayCarryAreRefused)
{
    CCollectorMessage message;
    message.AgentId = "agent 1";
    message.Incarnation = 1;
    message.Sequence = 1;
    CStreamFields fields;
    EXPECT_TRUE(FXErrorUtil::IsWin32(CStreamEntryCodec::ToFields(message, fields), ERROR_INVALID_PARAMETER));
    message.AgentId = "agent-1";
    message.Sequence = 0;
    EXPECT_TRUE(FXErrorUtil::IsWin32(CStreamEntryCodec::ToFields(message, fields), ERROR_INVALID_PARAMETER));
}

// Each refusal names what is wrong, so that the dead-letter entry says it.
TEST(StreamEntryCodecTest, MalformedEntriesAreRefusedNamingTheField)
{
    CStreamFields repeated = XdrFields();
    repeated.emplace_back("seq", "18");
    CStreamFields unknown = XdrFields();
    unknown.emplace_back("extra", "1");
    const CStreamFields xmlWithNumber = With(XdrFields(), "kind", "xml");
    struct Case
    {
        CStreamFields fields;
        const char* says;
    };
    const std::vector<Case> cases = {
        {Without(XdrFields(), "agent"), "[agent] is missing"},
        {Without(XdrFields(), "incarnation"), "[incarnation] is missing"},
        {Without(XdrFields(), "seq"), "[seq] is missing"},
        {Without(XdrFields(), "kind"), "[kind] is missing"},
        {Without(XdrFields(), "data"), "[data] is missing"},
        {Without(XdrFields(), "number"), "[number] is missing"},
        {repeated, "[seq] appears twice"},
        {unknown, "Unknown entry field [extra]"},
        {xmlWithNumber, "[number] belongs to xdr"},
        {With(XdrFields(), "kind", "json"), "[kind]"},
        {With(XdrFields(), "agent", "a:b"), "[agent]"},
        {With(XdrFields(), "seq", "0"), "[seq] starts at 1"},
        {With(XdrFields(), "incarnation", "0"), "[incarnation] starts at 1"},
        {With(XdrFields(), "seq", "-1"), "[seq]"},
        {With(XdrFields(), "seq", "+1"), "[seq]"},
        {With(XdrFields(), "seq", "01"), "[seq]"},
        {With(XdrFields(), "seq", "1.5"), "[seq]"},
        {With(XdrFields(), "seq", ""), "[seq]"},
        {With(XdrFields(), "seq", "18446744073709551616"), "[seq]"},
        {With(XdrFields(), "incarnation", "99999999999999999999"), "[incarnation]"},
        {With(XdrFields(), "number", "0x180000A1"), "[number]"},
    };
    for (const Case& c : cases)
    {
        CCollectorMessage message;
        message.AgentId = "untouched";
        const CZuError error = CStreamEntryCodec::FromFields(c.fields, message);
        EXPECT_TRUE(FXErrorUtil::IsWin32(error, ERROR_INVALID_DATA)) << c.says;
        EXPECT_NE(std::string::npos, error.GetMessage().find(c.says)) << error.GetMessage();
        EXPECT_EQ("untouched", message.AgentId);
    }
}
