#include "RedisTestSupport.h"

#include "network/FSRFileExtentRestoredItem.h"
#include "network/FileExtentMessageWire.h"
#include "transport/redis/FileExtentRedisSender.h"

#include <set>
#include <thread>

using FILEEXTENT_COLLECTOR::CCollectorMessage;
using FILEEXTENT_RESTORE::CFileExtentMessageWire;

class FileExtentRedisSenderTest : public RedisFixture
{
protected:
    std::unique_ptr<CFileExtentRedisSender> Sender(const std::string& agent = "agent-1",
                                                   std::chrono::milliseconds timeout = std::chrono::milliseconds(300))
    {
        std::unique_ptr<CFileExtentRedisSender> sender;
        const CZuError error = CFileExtentRedisSender::Create(server.Address(), Job, agent, timeout, sender);
        EXPECT_FALSE(error.IsError()) << error.AsString();
        return sender;
    }

    int SendXml(CFileExtentRedisSender& sender, const std::string& text)
    {
        CNMessageBase message(119, 74);
        message.setstring(1, 1, text, 0x775BCECF, 0x0026AFC1);
        return sender.XMLCallback()(message);
    }

    static std::uint64_t Seq(const CRedisStreamEntry& entry) { return std::stoull(Field(entry, "seq")); }
};

TEST_F(FileExtentRedisSenderTest, EachCallbackAddsOneEntryWithExactlyTheAgreedFields)
{
    auto sender = Sender();
    char text[] = "<m>record</m>";
    FSRFileExtentRestoredItem record;
    record.pszFileExtentRestoredItem = text;
    ktsDatabuf descriptor;
    descriptor.size = sizeof(record);
    descriptor.address = reinterpret_cast<std::uintptr_t>(&record);
    ASSERT_EQ(1, sender->XDRCallback()(CFileExtentMessageWire::RestoredItemXDRMessageNumber, &descriptor));
    ASSERT_EQ(1, SendXml(*sender, "list"));

    const std::vector<CRedisStreamEntry> entries = Range(Records);
    ASSERT_EQ(2u, entries.size());
    std::string xdrBytes;
    ASSERT_FALSE(CFileExtentMessageWire::EncodeXdr(&descriptor, xdrBytes).IsError());
    const CStreamFields xdr = {{"agent", "agent-1"}, {"incarnation", "1"},         {"seq", "1"},
                               {"kind", "xdr"},      {"number", "402653345"},      {"data", xdrBytes}};
    EXPECT_EQ(xdr, entries[0].Fields);
    std::string xmlText;
    CNMessageBase message(119, 74);
    message.setstring(1, 1, "list", 0x775BCECF, 0x0026AFC1);
    CFileExtentMessageWire::EncodeXml(message, xmlText);
    const CStreamFields xml = {
        {"agent", "agent-1"}, {"incarnation", "1"}, {"seq", "2"}, {"kind", "xml"}, {"data", xmlText}};
    EXPECT_EQ(xml, entries[1].Fields);
    EXPECT_EQ("1", Run({"GET", "fileextent:job-1:agent:agent-1:incarnation"}).Text);
}

TEST_F(FileExtentRedisSenderTest, PayloadsTravelByteForByte)
{
    auto sender = Sender();
    std::string bytes;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 256; ++i)
            bytes.push_back(static_cast<char>(i));
    ASSERT_FALSE(sender->Send(CCollectorMessage::Xdr, 7, bytes).IsError());
    const std::vector<CRedisStreamEntry> entries = Range(Records);
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(bytes, Field(entries[0], "data"));
}

TEST_F(FileExtentRedisSenderTest, ARestartedAgentOrdersAfterItsEarlierRun)
{
    {
        auto first = Sender();
        ASSERT_EQ(1, SendXml(*first, "a"));
        ASSERT_EQ(1, SendXml(*first, "b"));
    }
    auto second = Sender();
    auto other = Sender("agent-2");
    ASSERT_EQ(1, SendXml(*second, "c"));
    ASSERT_EQ(1, SendXml(*other, "d"));

    const std::vector<CRedisStreamEntry> entries = Range(Records);
    ASSERT_EQ(4u, entries.size());
    EXPECT_EQ("1", Field(entries[0], "incarnation"));
    EXPECT_EQ("1", Field(entries[0], "seq"));
    EXPECT_EQ("1", Field(entries[1], "incarnation"));
    EXPECT_EQ("2", Field(entries[1], "seq"));
    EXPECT_EQ("2", Field(entries[2], "incarnation"));
    EXPECT_EQ("1", Field(entries[2], "seq"));
    EXPECT_EQ("agent-2", Field(entries[3], "agent"));
    EXPECT_EQ("1", Field(entries[3], "incarnation"));
}

TEST_F(FileExtentRedisSenderTest, WhileRedisIsDownSendsFailAndAfterwardsTheyResume)
{
    server.Stop();
    auto sender = Sender(); // no incarnation yet: Redis is not there
    EXPECT_EQ(0u, sender->Counters().Incarnation);
    EXPECT_EQ(0, SendXml(*sender, "lost"));

    ASSERT_TRUE(server.Start()) << server.Error();
    ASSERT_EQ(1, SendXml(*sender, "one"));
    server.Kill();
    EXPECT_EQ(0, SendXml(*sender, "during"));
    ASSERT_TRUE(server.Start()) << server.Error();
    ASSERT_EQ(1, SendXml(*sender, "two"));

    const std::vector<CRedisStreamEntry> entries = Range(Records);
    ASSERT_EQ(2u, entries.size());
    EXPECT_LT(Seq(entries[0]), Seq(entries[1]));
    EXPECT_EQ(Field(entries[0], "incarnation"), Field(entries[1], "incarnation"));
    const CFileExtentRedisSender::CCounters counters = sender->Counters();
    EXPECT_EQ(2u, counters.Sent);
    EXPECT_EQ(2u, counters.Failed);
    EXPECT_EQ(1u, counters.Incarnation);
}

// An XADD that timed out may still land once the server answers again: the next message
// must order after it, so its sequence is never reused.
TEST_F(FileExtentRedisSenderTest, AMessageThatTimedOutKeepsItsPlaceWhenItLandsLate)
{
    auto sender = Sender();
    ASSERT_EQ(1, SendXml(*sender, "first"));
    server.Pause();
    EXPECT_EQ(0, SendXml(*sender, "late"));
    const std::uint64_t lateSeq = sender->Counters().LastSequence;
    server.Resume();
    ASSERT_EQ(1, SendXml(*sender, "after"));

    std::vector<CRedisStreamEntry> entries = Range(Records);
    for (int wait = 0; wait < 250 && entries.size() < 3; ++wait)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        entries = Range(Records);
    }
    ASSERT_EQ(3u, entries.size()) << "the timed-out XADD was in the server's socket and should land";
    std::set<std::uint64_t> seqs;
    for (const CRedisStreamEntry& entry : entries)
        seqs.insert(Seq(entry));
    EXPECT_EQ((std::set<std::uint64_t>{1, lateSeq, lateSeq + 1}), seqs);
    EXPECT_EQ(2u, lateSeq);
}

TEST_F(FileExtentRedisSenderTest, ConcurrentSendersShareOneSequenceWithoutLoss)
{
    auto sender = Sender();
    const int threads = 4;
    const int perThread = 50;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&sender, t]() {
            for (int i = 0; i < perThread; ++i)
            {
                CNMessageBase message(119, 74);
                message.setstring(1, 1, std::to_string(t) + "/" + std::to_string(i), 1, 1);
                EXPECT_EQ(1, sender->XMLCallback()(message));
            }
        });
    for (std::thread& worker : workers)
        worker.join();

    const std::vector<CRedisStreamEntry> entries = Range(Records);
    ASSERT_EQ(static_cast<std::size_t>(threads * perThread), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(i + 1, Seq(entries[i])); // one lock around sequence and XADD: stream order is seq order
    EXPECT_EQ(static_cast<std::uint64_t>(threads * perThread), sender->Counters().Sent);
}
