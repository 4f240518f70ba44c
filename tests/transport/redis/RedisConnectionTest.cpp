#include "RedisTestSupport.h"

#include "platform/ZuUtils/FXErrorUtil.h"

namespace
{
std::string AllBytes()
{
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes.push_back(static_cast<char>(i));
    return bytes;
}
} // namespace

class RedisConnectionTest : public RedisFixture
{
protected:
    std::unique_ptr<CRedisConnection> Connection(std::chrono::milliseconds timeout = std::chrono::milliseconds(300))
    {
        CRedisAddress address;
        EXPECT_FALSE(CRedisAddress::Parse(server.Address(), address).IsError());
        return std::unique_ptr<CRedisConnection>(new CRedisConnection(address, timeout));
    }
};

TEST_F(RedisConnectionTest, ArgumentsAndRepliesAreBinarySafe)
{
    auto connection = Connection();
    const std::string key = std::string("key\0with nul", 12);
    CRedisReply reply;
    ASSERT_FALSE(connection->Command({"SET", key, AllBytes()}, reply).IsError());
    EXPECT_EQ(CRedisReply::Status, reply.ReplyKind);
    ASSERT_FALSE(connection->Command({"GET", key}, reply).IsError());
    EXPECT_EQ(CRedisReply::String, reply.ReplyKind);
    EXPECT_EQ(AllBytes(), reply.Text);
    ASSERT_FALSE(connection->Command({"GET", "absent"}, reply).IsError());
    EXPECT_EQ(CRedisReply::Nil, reply.ReplyKind);
}

TEST_F(RedisConnectionTest, AnErrorReplyFailsWithRedisTextAndKeepsTheConnection)
{
    auto connection = Connection();
    CRedisReply reply;
    ASSERT_FALSE(connection->Command({"SET", "text", "x"}, reply).IsError());
    const CZuError error = connection->Command({"XADD", "text", "*", "a", "b"}, reply);
    EXPECT_TRUE(FXErrorUtil::IsWin32(error, ERROR_GEN_FAILURE));
    EXPECT_NE(std::string::npos, error.GetMessage().find("WRONGTYPE")) << error.GetMessage();
    EXPECT_TRUE(reply.IsErrorCode("WRONGTYPE"));
    EXPECT_TRUE(connection->IsConnected());
}

TEST_F(RedisConnectionTest, AStoppedServerIsUnreachableAndTheNextCommandReconnects)
{
    auto connection = Connection();
    CRedisReply reply;
    ASSERT_FALSE(connection->Command({"SET", "k", "before"}, reply).IsError());
    server.Stop();
    CZuError error = connection->Command({"GET", "k"}, reply);
    EXPECT_TRUE(FXErrorUtil::IsWin32(error, ERROR_NETWORK_UNREACHABLE)) << error.AsString();
    EXPECT_FALSE(connection->IsConnected());
    error = connection->Command({"GET", "k"}, reply);
    EXPECT_TRUE(FXErrorUtil::IsWin32(error, ERROR_NETWORK_UNREACHABLE)) << error.AsString();

    ASSERT_TRUE(server.Start()) << server.Error();
    error = connection->Command({"GET", "k"}, reply);
    ASSERT_FALSE(error.IsError()) << error.AsString();
    EXPECT_EQ("before", reply.Text); // the append-only file brought it back
}

TEST_F(RedisConnectionTest, AServerThatDoesNotAnswerTimesOut)
{
    auto connection = Connection();
    CRedisReply reply;
    ASSERT_FALSE(connection->Command({"PING"}, reply).IsError());
    server.Pause();
    CZuError error = connection->Command({"PING"}, reply);
    EXPECT_TRUE(FXErrorUtil::IsWin32(error, ERROR_TIMEOUT)) << error.AsString();
    EXPECT_FALSE(connection->IsConnected());
    // A new connection is accepted by the kernel, and then nothing answers.
    error = connection->Command({"PING"}, reply);
    EXPECT_TRUE(FXErrorUtil::IsWin32(error, ERROR_TIMEOUT)) << error.AsString();

    server.Resume();
    error = connection->Command({"PING"}, reply);
    EXPECT_FALSE(error.IsError()) << error.AsString();
}

TEST_F(RedisConnectionTest, ACommandMayWaitOnTheServerBeyondItsTimeout)
{
    auto connection = Connection(std::chrono::milliseconds(300));
    CRedisReply reply;
    const CZuError error = connection->Command({"BLPOP", "nothing", "0.5"}, std::chrono::milliseconds(500), reply);
    ASSERT_FALSE(error.IsError()) << error.AsString();
    EXPECT_EQ(CRedisReply::Nil, reply.ReplyKind);
    EXPECT_FALSE(connection->Command({"PING"}, reply).IsError());
}
