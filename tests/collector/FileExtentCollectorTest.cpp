#include "collector/FileExtentCollector.h"

#include "network/FileExtentMessageWire.h"
#include "network/FileExtentRestoreNWHandler.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace FILEEXTENT_COLLECTOR;
using namespace FILEEXTENT_RESTORE;

namespace
{
// An agent's record of a file: its container report and the extents it restored.
CRestoredItem Record(const std::string& path, std::size_t extents, std::vector<std::size_t> bits,
                     RestoreStatus status = SUCCESS, std::uint32_t error = 0, bool container = true)
{
    CRestoredItem item;
    item.FilePath = path;
    item.RestoredItemVersion = 0;
    item.RestoredFilePath = "/restore" + path;
    item.ErrorCode = error;
    item.Status = status;
    item.ContainerItemRestored = container;
    item.PostProcessAction = "";
    item.NumOfExtents = static_cast<std::int64_t>(extents);
    item.ExtentBitmap = boost::dynamic_bitset<unsigned char>(extents);
    for (std::size_t bit : bits)
        item.ExtentBitmap->set(bit);
    item.Metadata = "1!2!3!4!5";
    item.TaskId = 7;
    return item;
}

// Messages made as an agent's reporter makes them: one record as XDR, many as an XML list.
class Agent
{
public:
    explicit Agent(const std::string& id, std::uint64_t incarnation = 1) : m_id(id), m_incarnation(incarnation) {}

    CCollectorMessage Xdr(const CRestoredItem& item)
    {
        CCollectorMessage message = Next(CCollectorMessage::Xdr);
        CFileExtentRestoreNWHandler reporter(
            [&message](unsigned long number, ktsDatabuf* buffer) {
                message.MessageNumber = number;
                return CFileExtentMessageWire::EncodeXdr(buffer, message.Payload).IsError() ? 0 : 1;
            },
            nullptr);
        EXPECT_FALSE(reporter.AddorUpdate(CRestoringItemAndVersion(item.FilePath, item.RestoredItemVersion), item)
                         .IsError());
        return message;
    }
    CCollectorMessage Xml(const std::vector<CRestoredItem>& items)
    {
        CCollectorMessage message = Next(CCollectorMessage::Xml);
        CFileExtentRestoreNWHandler reporter(nullptr, [&message](CNMessageBase& list) {
            CFileExtentMessageWire::EncodeXml(list, message.Payload);
            return 1;
        });
        std::vector<std::tuple<CRestoringItemAndVersion, CRestoredItem>> batch;
        for (const CRestoredItem& item : items)
            batch.emplace_back(CRestoringItemAndVersion(item.FilePath, item.RestoredItemVersion), item);
        EXPECT_FALSE(reporter.AddorUpdate(batch).IsError());
        return message;
    }

private:
    CCollectorMessage Next(CCollectorMessage::Kind kind)
    {
        CCollectorMessage message;
        message.AgentId = m_id;
        message.Incarnation = m_incarnation;
        message.Sequence = ++m_sequence;
        message.MessageKind = kind;
        return message;
    }

    std::string m_id;
    std::uint64_t m_incarnation;
    std::uint64_t m_sequence = 0;
};

class FileExtentCollectorTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(collector.Open().IsError()); }

    std::vector<std::string> Merged(const std::string& path, const char* columns = "Status, ErrorCode, "
                                                                                   "ContainerItemRestored, "
                                                                                   "CAST(ExtentBitmap AS TEXT)")
    {
        SqliteFile file(dir.File("FileExtentCollector.db"));
        auto rows = file.Rows(std::string("SELECT ") + columns + " FROM RestoredItems WHERE FilePath='" + path + "';");
        return rows.empty() ? std::vector<std::string>() : rows[0];
    }
    std::string Scalar(const std::string& sql) { return SqliteFile(dir.File("FileExtentCollector.db")).Scalar(sql); }
    void ReceiveAll(const std::vector<CCollectorMessage>& messages)
    {
        std::vector<CCollectorRefusal> refused;
        ASSERT_FALSE(collector.Receive(messages, refused).IsError());
        ASSERT_TRUE(refused.empty()) << refused.front().Reason.AsString();
    }

    TempDir dir;
    CFileExtentCollector collector{dir.Path()};
};

// Three agents restore parts of the same files; their messages arrive interleaved, some twice,
// one agent's older record after its newer one. Each file's row is the union of what its agents
// last said, whatever the order.
TEST_F(FileExtentCollectorTest, InterleavedAndRepeatedMessagesOfThreeAgentsMergeExactly)
{
    Agent a("agent-a"), b("agent-b"), c("agent-c");
    const CCollectorMessage aOld = a.Xdr(Record("/f1", 8, {0}));
    const CCollectorMessage aNew = a.Xml({Record("/f1", 8, {0, 1}), Record("/f2", 4, {0, 1, 2, 3})});
    const CCollectorMessage bF1 = b.Xdr(Record("/f1", 8, {4, 5}));
    const CCollectorMessage cF1 = c.Xdr(Record("/F1", 8, {2, 3, 6, 7}, FAILED, 5));
    const CCollectorMessage cF2 = c.Xdr(Record("/f2", 4, {}, PROGRESSING));

    ReceiveAll({cF1, aNew, bF1});
    ReceiveAll({aOld, bF1, cF2, aNew, cF1}); // older, repeated, and one new

    EXPECT_EQ((std::vector<std::string>{"1", "5", "1", "11111111"}), Merged("/f1"))
        << "every agent's bits, one row for both letter cases, the worst status with its error";
    EXPECT_EQ((std::vector<std::string>{"3", "0", "1", "1111"}), Merged("/f2"));
    EXPECT_EQ("2", Scalar("SELECT count(*) FROM RestoredItems;"));
    EXPECT_EQ("5", Scalar("SELECT count(*) FROM AgentItems;"));

    const CCollectorTotals totals = collector.Totals();
    EXPECT_EQ(8u, totals.Messages);
    EXPECT_EQ(5u, totals.Records);
    EXPECT_EQ(5u, totals.Stale) << "aOld, and bF1, aNew (two records) and cF1 a second time";
    std::vector<std::string> seen;
    ASSERT_FALSE(collector
                     .ForEachAgent([&seen](const CCollectorAgent& agent) {
                         seen.push_back(agent.AgentId + ":" + std::to_string(*agent.LastSequence) + ":" +
                                        std::to_string(*agent.Records));
                         return CZuError::Success();
                     })
                     .IsError());
    EXPECT_EQ((std::vector<std::string>{"agent-a:2:2", "agent-b:1:1", "agent-c:2:2"}), seen);
}

// A later run of an agent orders after its earlier one, even with lower sequence numbers; an
// agent's new container report clears only its own bits.
TEST_F(FileExtentCollectorTest, ALaterRunReplacesAndOnlyTheAgentsOwnBitsAreCleared)
{
    Agent first("agent-a", 1), restarted("agent-a", 2), other("agent-b");
    ReceiveAll({first.Xdr(Record("/f", 4, {0, 1})), first.Xdr(Record("/f", 4, {0, 1, 2})),
                other.Xdr(Record("/f", 4, {3}))});
    ReceiveAll({restarted.Xdr(Record("/f", 4, {}, PROGRESSING))});
    EXPECT_EQ((std::vector<std::string>{"3", "0", "1", "1000"}), Merged("/f"));
}

TEST_F(FileExtentCollectorTest, ContainerReportOfAnyAgentCountsAndDecideAppliesTheRestoreRule)
{
    Agent a("a"), b("b"), c("c");
    // /whole: b holds the container report, a's record has none; together every extent.
    ReceiveAll({a.Xdr(Record("/whole", 2, {0}, SUCCESS, 0, false)), b.Xdr(Record("/whole", 2, {1}))});
    // /short: the agents disagree on the extent count, and in doubt the file is not restored.
    ReceiveAll({a.Xdr(Record("/short", 2, {0, 1})), c.Xdr(Record("/short", 3, {0, 1}))});
    // /partial: an extent nobody reported.
    ReceiveAll({c.Xdr(Record("/partial", 3, {0, 2}))});
    ReceiveAll({c.Xdr(Record("/skipped", 0, {}, SKIPPED, 0))});

    ASSERT_FALSE(collector.Decide().IsError());
    EXPECT_EQ((std::vector<std::string>{"0", "0", "1", "11"}), Merged("/whole"));
    EXPECT_EQ((std::vector<std::string>{"1", "385876030", "1", "011"}), Merged("/short"));
    EXPECT_EQ("1", Merged("/partial", "Status")[0]);
    EXPECT_EQ("2", Merged("/skipped", "Status")[0]);

    int byTask = 0;
    ASSERT_FALSE(collector
                     .GetAllRestoredItemsByTaskId(7,
                                                  [&byTask](const std::string&, const CFileExtentContainerItemRestoreReport&
                                                                                    report) {
                                                      byTask += report.GetRestoredFilePath().empty() ? 0 : 1;
                                                      return CZuError::Success();
                                                  })
                     .IsError());
    EXPECT_EQ(4, byTask);
    ULONGLONG count = 0;
    ASSERT_FALSE(collector.GetAllRestoredItemsCount(count).IsError());
    EXPECT_EQ(4u, count);
    EXPECT_TRUE(FXErrorUtil::IsWin32(collector.GetAllRestoredItemsByTaskId(
                                         99, [](const std::string&, const CFileExtentContainerItemRestoreReport&) {
                                             return CZuError::Success();
                                         }),
                                     ERROR_NOT_FOUND));
}

// Input no reporter sends is refused with its reason, counted, and nothing of it is stored; the
// good messages of the same batch are.
TEST_F(FileExtentCollectorTest, MalformedMessagesAreRefusedWholeAndCounted)
{
    Agent agent("agent-a");
    std::vector<CCollectorMessage> messages;
    messages.push_back(agent.Xdr(Record("/good", 1, {0})));
    CCollectorMessage truncated = agent.Xdr(Record("/t", 1, {0}));
    truncated.Payload.resize(truncated.Payload.size() - 6);
    messages.push_back(truncated);
    CCollectorMessage unparsable = agent.Xml({Record("/u", 1, {0})});
    unparsable.Payload.erase(unparsable.Payload.size() / 2);
    messages.push_back(unparsable);
    CRestoredItem mismatched = Record("/m", 4, {0});
    mismatched.NumOfExtents = 5;
    messages.push_back(agent.Xml({Record("/m-first", 1, {0}), mismatched}));
    CCollectorMessage unknown = agent.Xdr(Record("/n", 1, {0}));
    unknown.MessageNumber = 0x18000001;
    messages.push_back(unknown);
    CCollectorMessage anonymous = agent.Xdr(Record("/x", 1, {0}));
    anonymous.AgentId.clear();
    messages.push_back(anonymous);

    std::vector<CCollectorRefusal> refused;
    ASSERT_FALSE(collector.Receive(messages, refused).IsError());
    ASSERT_EQ(5u, refused.size());
    const struct
    {
        unsigned int code;
        const char* text;
    } expected[] = {{ERROR_INVALID_DATA, "Truncated XDR"},
                    {ERROR_INVALID_DATA, "does not parse"},
                    {ERROR_INVALID_DATA, "a bitmap of [4] bits for [5] extents"},
                    {ERROR_NOT_SUPPORTED, "Unknown XDR message number"},
                    {ERROR_INVALID_DATA, "names no agent"}};
    for (std::size_t i = 0; i < refused.size(); ++i)
    {
        EXPECT_EQ(i + 1, refused[i].Index);
        EXPECT_TRUE(FXErrorUtil::IsWin32(refused[i].Reason, expected[i].code)) << refused[i].Reason.AsString();
        EXPECT_NE(std::string::npos, refused[i].Reason.GetMessage().find(expected[i].text))
            << refused[i].Reason.GetMessage();
    }
    EXPECT_EQ("/good", Scalar("SELECT group_concat(FilePath) FROM RestoredItems;"));
    EXPECT_EQ("1", Scalar("SELECT count(*) FROM AgentItems;")) << "no part of a refused list is kept";
    EXPECT_EQ("4", Scalar("SELECT Refused FROM Agents WHERE AgentId='agent-a';"));
    EXPECT_EQ("1", Scalar("SELECT Refused FROM Agents WHERE AgentId='';"));
    EXPECT_EQ(5u, collector.Totals().Refused);
}

// A batch the store cannot take leaves nothing of it behind, so that it can be delivered again.
TEST_F(FileExtentCollectorTest, ABatchThatCannotBeStoredLeavesNothing)
{
    Agent agent("agent-a");
    SqliteFile(dir.File("FileExtentCollector.db"))
        .Exec("CREATE TRIGGER refuse BEFORE INSERT ON RestoredItems WHEN NEW.FilePath='/bad' "
              "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END;");
    std::vector<CCollectorRefusal> refused;
    CZuError error = collector.Receive({agent.Xdr(Record("/ok", 1, {0})), agent.Xdr(Record("/bad", 1, {0}))}, refused);
    EXPECT_TRUE(error.IsError());
    EXPECT_EQ("0", Scalar("SELECT count(*) FROM AgentItems;"));
    EXPECT_EQ("0", Scalar("SELECT count(*) FROM RestoredItems;"));
    EXPECT_EQ(0u, collector.Totals().Records);
}
} // namespace
