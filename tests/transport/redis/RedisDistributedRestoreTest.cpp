#include "RedisTestSupport.h"

#include "network/FileExtentMessageWire.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "restore/FileExtentRestoreHandler.h"
#include "support/TempDir.h"
#include "transport/redis/FileExtentRedisSender.h"
#include "transport/redis/StreamEntryCodec.h"

#include <map>
#include <tuple>

using FILEEXTENT_COLLECTOR::CCollectorMessage;
using namespace FILEEXTENT_RESTORE;

namespace
{
// The newest state of one file as the collector would see it: the record of the latest message.
struct Received
{
    std::uint64_t incarnation = 0;
    std::uint64_t seq = 0;
    std::string bitmap;
};

std::string FieldText(const CNMessageBase& record, short first)
{
    for (const CNMessageField& field : record.GetFields())
    {
        if (field.first == first)
            return field.text;
    }
    return std::string();
}

CFileExtentContainerItemRestoreReportPtr Container(ULONGLONG extents)
{
    CFileExtentContainerItemRestoreReportPtr report(new CFileExtentContainerItemRestoreReport());
    report->SetNoOfExtents(extents);
    report->SetRestoredFilePath("/restored");
    report->SetTaskId(1);
    report->SetRestoreStatus(PROGRESSING);
    return report;
}

CFileExtentExtentItemRestoreReportPtr Extent(ULONGLONG number)
{
    CFileExtentExtentItemRestoreReportPtr report(new CFileExtentExtentItemRestoreReport());
    report->SetExtentNumber(number);
    report->SetRestoreStatus(SUCCESS);
    return report;
}
} // namespace

class RedisDistributedRestoreTest : public RedisFixture
{
protected:
    void Initialize(ULONG block)
    {
        const CZuError error = CFileExtentRedisSender::Create(server.Address(), Job, "agent-1",
                                                              std::chrono::milliseconds(300), sender);
        ASSERT_FALSE(error.IsError()) << error.AsString();
        ASSERT_FALSE(
            handler.Initialize(dir.Path(), true, sender->XDRCallback(), sender->XMLCallback(), block).IsError());
    }

    void TearDown() override { handler.DeInitialize(); }

    // Decodes every entry of the stream as the collector would, keeping each file's latest record.
    std::map<std::string, Received> Collect()
    {
        std::map<std::string, Received> files;
        for (const CRedisStreamEntry& entry : Range(Records))
        {
            CCollectorMessage message;
            const CZuError error = CStreamEntryCodec::FromFields(entry.Fields, message);
            EXPECT_FALSE(error.IsError()) << error.AsString();
            for (const CNMessageBase& record : RecordsOf(message))
            {
                Received& file = files[FieldText(record, 1)];
                if (std::tie(message.Incarnation, message.Sequence) > std::tie(file.incarnation, file.seq))
                    file = Received{message.Incarnation, message.Sequence, FieldText(record, 8)};
            }
        }
        return files;
    }

    static std::vector<CNMessageBase> RecordsOf(const CCollectorMessage& message)
    {
        std::string text = message.Payload;
        if (message.MessageKind == CCollectorMessage::Xdr)
        {
            EXPECT_EQ(0x180000A1ul, message.MessageNumber);
            EXPECT_FALSE(CFileExtentMessageWire::DecodeXdr(message.Payload, text).IsError());
        }
        CNMessageBase decoded(0, 0);
        EXPECT_TRUE(decoded.deserialize(text));
        if (message.MessageKind == CCollectorMessage::Xdr)
            return {decoded};
        return decoded.GetFields().empty() ? std::vector<CNMessageBase>() : decoded.GetFields()[0].list;
    }

    TempDir dir;
    std::unique_ptr<CFileExtentRedisSender> sender;
    CFileExtentRestoreHandler handler;
};

TEST_F(RedisDistributedRestoreTest, OneMessagePerRecordKeepsRecordsDirtyWhileRedisIsDown)
{
    Initialize(0);
    ASSERT_FALSE(handler.OnContainerItem("/a", 0, Container(2)).IsError());
    EXPECT_EQ(1u, Range(Records).size()); // a new record goes out at once

    server.Stop();
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.OnContainerItem("/b", 0, Container(1)), ERROR_NETWORK_UNREACHABLE));
    ASSERT_FALSE(handler.OnExtentItem("/a", 0, Extent(0)).IsError());
    ASSERT_FALSE(handler.OnExtentItem("/a", 0, Extent(1)).IsError());
    ASSERT_FALSE(handler.OnExtentItem("/b", 0, Extent(0)).IsError());
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.Flush(), ERROR_NETWORK_UNREACHABLE));

    ASSERT_TRUE(server.Start()) << server.Error();
    const CZuError error = handler.Flush();
    ASSERT_FALSE(error.IsError()) << error.AsString();

    const std::map<std::string, Received> files = Collect();
    ASSERT_EQ(2u, files.size());
    EXPECT_EQ("11", files.at("/a").bitmap);
    EXPECT_EQ("1", files.at("/b").bitmap);
    EXPECT_GE(sender->Counters().Failed, 2u);
}

TEST_F(RedisDistributedRestoreTest, BlocksOfRecordsReachTheStreamOnceRedisIsBack)
{
    Initialize(16);
    server.Stop();
    const int files = 40;
    for (int f = 0; f < files; ++f)
    {
        const std::string path = "/data/" + std::to_string(f);
        const CZuError sent = handler.OnContainerItem(path, 0, Container(3));
        EXPECT_TRUE(!sent.IsError() || FXErrorUtil::IsWin32(sent, ERROR_NETWORK_UNREACHABLE)) << sent.AsString();
        for (ULONGLONG extent = 0; extent < 3; ++extent)
            ASSERT_FALSE(handler.OnExtentItem(path, 0, Extent(extent)).IsError());
    }
    EXPECT_TRUE(FXErrorUtil::IsWin32(handler.Flush(), ERROR_NETWORK_UNREACHABLE));
    EXPECT_EQ(0u, sender->Counters().Sent);

    ASSERT_TRUE(server.Start()) << server.Error();
    const CZuError error = handler.Flush();
    ASSERT_FALSE(error.IsError()) << error.AsString();

    const std::map<std::string, Received> received = Collect();
    ASSERT_EQ(static_cast<std::size_t>(files), received.size());
    for (const auto& file : received)
        EXPECT_EQ("111", file.second.bitmap) << file.first;
    for (const CRedisStreamEntry& entry : Range(Records))
        EXPECT_EQ("xml", Field(entry, "kind"));
}
