#include "RedisTestSupport.h"

#include "platform/ZuUtils/FXErrorUtil.h"
#include "transport/redis/FileExtentRedisConsumer.h"
#include "transport/redis/FileExtentRedisSender.h"
#include "transport/redis/StreamEntryCodec.h"

#include <atomic>

using FILEEXTENT_COLLECTOR::CCollectorMessage;

namespace
{
std::vector<std::string> Ids(const std::vector<CRedisStreamEntry>& entries)
{
    std::vector<std::string> ids;
    for (const CRedisStreamEntry& entry : entries)
        ids.push_back(entry.Id);
    return ids;
}
} // namespace

class FileExtentRedisConsumerTest : public RedisFixture
{
protected:
    void SetUp() override
    {
        RedisFixture::SetUp();
        options.Timeout = std::chrono::milliseconds(1000);
        options.Block = std::chrono::milliseconds(50);
        options.BatchSize = 10;
        runOptions.UntilIdle = std::chrono::milliseconds(200);
        runOptions.RetryDelay = std::chrono::milliseconds(10);
        runOptions.MaxRetryDelay = std::chrono::milliseconds(50);
    }

    std::unique_ptr<CFileExtentRedisConsumer> Consumer(const std::string& name)
    {
        std::unique_ptr<CFileExtentRedisConsumer> consumer;
        const CZuError error = CFileExtentRedisConsumer::Create(server.Address(), Job, name, options, consumer);
        EXPECT_FALSE(error.IsError()) << error.AsString();
        return consumer;
    }

    // Entries as an agent sends them; their ids in stream order.
    std::vector<std::string> Send(int count)
    {
        if (!sender)
        {
            const CZuError error =
                CFileExtentRedisSender::Create(server.Address(), Job, "agent-1", std::chrono::seconds(1), sender);
            EXPECT_FALSE(error.IsError()) << error.AsString();
        }
        for (int i = 0; i < count; ++i)
            EXPECT_FALSE(sender->Send(CCollectorMessage::Xml, 0, "payload " + std::to_string(i)).IsError());
        return Ids(Range(Records));
    }

    std::vector<CRedisStreamEntry> Read(CFileExtentRedisConsumer& consumer)
    {
        std::vector<CRedisStreamEntry> batch;
        const CZuError error = consumer.ReadBatch(batch);
        EXPECT_FALSE(error.IsError()) << error.AsString();
        return batch;
    }

    long long GroupPending() { return Run({"XPENDING", Records, "collectors"}).Elements.at(0).Number; }

    CRedisConsumerOptions options;
    CRedisRunOptions runOptions;
    std::unique_ptr<CFileExtentRedisSender> sender;
};

TEST_F(FileExtentRedisConsumerTest, ARestartedConsumerReadsItsPendingEntriesFirst)
{
    options.BatchSize = 2;
    const std::vector<std::string> first = Send(3);
    {
        auto consumer = Consumer("c1");
        EXPECT_EQ(std::vector<std::string>(first.begin(), first.begin() + 2), Ids(Read(*consumer)));
        EXPECT_EQ(std::vector<std::string>(first.begin() + 2, first.end()), Ids(Read(*consumer)));
    } // gone without acknowledging
    const std::vector<std::string> all = Send(2);

    auto restarted = Consumer("c1");
    EXPECT_EQ(std::vector<std::string>(first.begin(), first.begin() + 2), Ids(Read(*restarted)));
    EXPECT_EQ(std::vector<std::string>(first.begin() + 2, first.end()), Ids(Read(*restarted)));
    EXPECT_EQ(std::vector<std::string>(all.begin() + 3, all.end()), Ids(Read(*restarted)));
    EXPECT_TRUE(Read(*restarted).empty());
    EXPECT_EQ(5, GroupPending());
}

TEST_F(FileExtentRedisConsumerTest, ADeadConsumersPendingEntriesAreTakenOver)
{
    const std::vector<std::string> ids = Send(3);
    auto dead = Consumer("dead");
    ASSERT_EQ(ids, Ids(Read(*dead)));
    Run({"XDEL", Records, ids[1]}); // gone from the stream while pending: nothing to take over

    options.MinIdle = std::chrono::milliseconds(0);
    auto live = Consumer("live");
    EXPECT_EQ((std::vector<std::string>{ids[0], ids[2]}), Ids(Read(*live)));

    CRedisGroupStatistics statistics;
    ASSERT_FALSE(live->Statistics(statistics).IsError());
    ASSERT_EQ(2u, statistics.Consumers.size());
    for (const CRedisConsumerStatistics& consumer : statistics.Consumers)
        EXPECT_EQ(consumer.Name == "live" ? 2u : 0u, consumer.Pending) << consumer.Name;
    EXPECT_EQ(2u, statistics.Pending);
}

TEST_F(FileExtentRedisConsumerTest, EntriesPendingLessThanTheIdleTimeStayWithTheirConsumer)
{
    const std::vector<std::string> ids = Send(2);
    auto busy = Consumer("busy");
    ASSERT_EQ(ids, Ids(Read(*busy)));
    options.MinIdle = std::chrono::hours(1);
    auto other = Consumer("other");
    EXPECT_TRUE(Read(*other).empty());
    EXPECT_EQ(2, GroupPending());
}

TEST_F(FileExtentRedisConsumerTest, AFailingHandlerAcknowledgesNothingAndGetsTheSameEntriesAgain)
{
    const std::vector<std::string> ids = Send(4);
    auto consumer = Consumer("c1");
    std::vector<std::vector<std::string>> calls;
    std::vector<long long> pendingSeen;
    const FN_StreamBatchHandler handler = [&](const std::vector<CRedisStreamEntry>& batch,
                                              std::vector<CRefusedStreamEntry>&) {
        calls.push_back(Ids(batch));
        pendingSeen.push_back(GroupPending());
        if (calls.size() == 1)
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_GEN_FAILURE, "disk full");
        return CZuError::Success();
    };
    CRedisRunSummary summary;
    ASSERT_FALSE(consumer->Run(handler, runOptions, summary).IsError());

    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(ids, calls[0]);
    EXPECT_EQ(ids, calls[1]);
    EXPECT_EQ(4, pendingSeen[1]); // the failed batch was left pending
    EXPECT_EQ(0, GroupPending());
    EXPECT_EQ(1u, summary.HandlerFailures);
    EXPECT_EQ(4u, summary.Acknowledged);
    EXPECT_NE(std::string::npos, summary.LastFailure.find("disk full"));
}

TEST_F(FileExtentRedisConsumerTest, RefusedEntriesGoToTheDeadLetterStreamWithTheirReason)
{
    Send(1);
    Run({"XADD", Records, "*", "agent", "agent-1", "seq", "1", "kind", "xml", "data", "x"});
    auto consumer = Consumer("c1");
    std::vector<std::string> stored;
    const FN_StreamBatchHandler handler = [&](const std::vector<CRedisStreamEntry>& batch,
                                              std::vector<CRefusedStreamEntry>& refused) {
        for (const CRedisStreamEntry& entry : batch)
        {
            CCollectorMessage message;
            const CZuError error = CStreamEntryCodec::FromFields(entry.Fields, message);
            if (error.IsError())
                refused.push_back({entry, error.GetMessage()});
            else
                stored.push_back(message.Payload);
        }
        return CZuError::Success();
    };
    CRedisRunSummary summary;
    ASSERT_FALSE(consumer->Run(handler, runOptions, summary).IsError());

    EXPECT_EQ(std::vector<std::string>{"payload 0"}, stored);
    const std::vector<CRedisStreamEntry> dead = Range(DeadLetters);
    ASSERT_EQ(1u, dead.size());
    const CStreamFields expected = {{"agent", "agent-1"},
                                    {"seq", "1"},
                                    {"kind", "xml"},
                                    {"data", "x"},
                                    {"reason", "Entry field [incarnation] is missing"},
                                    {"source", dead.empty() ? "" : Field(dead[0], "source")},
                                    {"consumer", "c1"}};
    EXPECT_EQ(expected, dead[0].Fields);
    EXPECT_EQ(1u, summary.DeadLettered);
    EXPECT_EQ(0, GroupPending());
    EXPECT_EQ(0u, Range(Records).size()); // trimmed once idle: every entry was acknowledged
}

TEST_F(FileExtentRedisConsumerTest, TrimKeepsEveryEntryNotYetAcknowledgedOrDelivered)
{
    options.BatchSize = 3;
    const std::vector<std::string> ids = Send(7);
    auto consumer = Consumer("c1");
    std::uint64_t removed = 0;
    ASSERT_FALSE(consumer->EnsureGroup().IsError());
    ASSERT_FALSE(consumer->Trim(removed).IsError());
    EXPECT_EQ(0u, removed); // nothing delivered yet

    ASSERT_EQ(3u, Read(*consumer).size());
    std::uint64_t acknowledged = 0;
    ASSERT_FALSE(consumer->Ack({ids[0], ids[2]}, acknowledged).IsError());
    EXPECT_EQ(2u, acknowledged);
    ASSERT_FALSE(consumer->Trim(removed).IsError());
    EXPECT_EQ(ids[1], Range(Records).front().Id); // ids[1] is still pending

    auto other = Consumer("c2");
    ASSERT_EQ((std::vector<std::string>{ids[3], ids[4], ids[5]}), Ids(Read(*other)));
    ASSERT_FALSE(consumer->Ack({ids[1]}, acknowledged).IsError());
    ASSERT_FALSE(consumer->Trim(removed).IsError());
    EXPECT_EQ(ids[3], Range(Records).front().Id); // another consumer's pending entry counts too

    ASSERT_FALSE(consumer->Ack({ids[3], ids[4], ids[5]}, acknowledged).IsError());
    ASSERT_FALSE(consumer->Trim(removed).IsError());
    EXPECT_EQ(std::vector<std::string>{ids[6]}, Ids(Range(Records))); // never delivered: kept
}

TEST_F(FileExtentRedisConsumerTest, LosingRedisBeforeTheAcknowledgementLosesNothing)
{
    const std::vector<std::string> ids = Send(3);
    auto consumer = Consumer("c1");
    std::vector<std::vector<std::string>> calls;
    const FN_StreamBatchHandler handler = [&](const std::vector<CRedisStreamEntry>& batch,
                                              std::vector<CRefusedStreamEntry>&) {
        calls.push_back(Ids(batch));
        if (calls.size() == 1)
        {
            server.Stop(); // the batch is committed, its XACK will find the connection gone
            EXPECT_TRUE(server.Start()) << server.Error();
        }
        return CZuError::Success();
    };
    CRedisRunSummary summary;
    ASSERT_FALSE(consumer->Run(handler, runOptions, summary).IsError());

    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(ids, calls[0]);
    EXPECT_EQ(ids, calls[1]); // read again from the pending list the append-only file kept
    EXPECT_GE(summary.RedisFailures, 1u);
    EXPECT_EQ(3u, summary.Acknowledged);
    EXPECT_EQ(0, GroupPending());
}

TEST_F(FileExtentRedisConsumerTest, AStopRequestEndsTheRunAfterTheBatch)
{
    Send(2);
    auto consumer = Consumer("c1");
    std::atomic<bool> stop{false};
    runOptions.UntilIdle = std::chrono::milliseconds(0);
    runOptions.Stop = &stop;
    const FN_StreamBatchHandler handler = [&](const std::vector<CRedisStreamEntry>&,
                                              std::vector<CRefusedStreamEntry>&) {
        stop = true;
        return CZuError::Success();
    };
    CRedisRunSummary summary;
    ASSERT_FALSE(consumer->Run(handler, runOptions, summary).IsError());
    EXPECT_EQ(1u, summary.Batches);
    EXPECT_EQ(0, GroupPending());
}

TEST_F(FileExtentRedisConsumerTest, StatisticsShowLengthLagAndPending)
{
    CRedisGroupStatistics statistics;
    auto consumer = Consumer("c1");
    ASSERT_FALSE(consumer->Statistics(statistics).IsError());
    EXPECT_FALSE(statistics.GroupExists);

    Send(5);
    options.BatchSize = 2;
    consumer = Consumer("c1");
    ASSERT_EQ(2u, Read(*consumer).size());
    ASSERT_FALSE(consumer->Statistics(statistics).IsError());
    EXPECT_TRUE(statistics.GroupExists);
    EXPECT_EQ(5u, statistics.StreamLength);
    EXPECT_EQ(2u, statistics.Pending);
    ASSERT_TRUE(statistics.Lag.has_value());
    EXPECT_EQ(3u, *statistics.Lag);
    ASSERT_EQ(1u, statistics.Consumers.size());
    EXPECT_EQ("c1", statistics.Consumers[0].Name);
    EXPECT_EQ(2u, statistics.Consumers[0].Pending);
}
