#include "platform/ZuUtils/FXErrorUtil.h"
#include "transport/redis/FileExtentStreamKeys.h"
#include "transport/redis/RedisAddress.h"

#include <gtest/gtest.h>

using namespace FILEEXTENT_REDIS;

TEST(RedisAddressTest, HostsAndPortsAreTakenAsWritten)
{
    struct Case
    {
        const char* text;
        const char* host;
        int port;
    };
    for (const Case& c : {Case{"127.0.0.1:6379", "127.0.0.1", 6379}, Case{"redis.local:1", "redis.local", 1},
                          Case{"[::1]:65535", "::1", 65535}, Case{"[fe80::1:2]:7000", "fe80::1:2", 7000}})
    {
        CRedisAddress address;
        const CZuError error = CRedisAddress::Parse(c.text, address);
        ASSERT_FALSE(error.IsError()) << c.text << ": " << error.AsString();
        EXPECT_EQ(c.host, address.Host());
        EXPECT_EQ(c.port, address.Port());
        EXPECT_EQ(c.text, address.ToString());
    }
}

TEST(RedisAddressTest, AnythingElseIsRefusedAndLeavesTheAddressAlone)
{
    for (const char* text : {"", "localhost", ":6379", "host:", "host:0", "host:65536", "host:+80", "host:-1",
                             "host:08", "host:80x", "host: 80", "::1:6379", "[::1]", "[]:6379", "[host]:6379",
                             "[::1:6379", "a b:6379", "host:99999999999999999999"})
    {
        CRedisAddress address;
        ASSERT_FALSE(CRedisAddress::Parse("keep:1", address).IsError());
        const CZuError error = CRedisAddress::Parse(text, address);
        EXPECT_TRUE(FXErrorUtil::IsWin32(error, ERROR_INVALID_PARAMETER)) << "[" << text << "]";
        EXPECT_EQ("keep:1", address.ToString()) << text;
    }
}

TEST(FileExtentStreamKeysTest, KeysOfAJobAndItsAgents)
{
    CFileExtentStreamKeys keys;
    ASSERT_FALSE(CFileExtentStreamKeys::ForJob("restore-2024.01_A", keys).IsError());
    EXPECT_EQ("fileextent:restore-2024.01_A", keys.Records());
    EXPECT_EQ("fileextent:restore-2024.01_A:dead", keys.DeadLetters());
    EXPECT_EQ("fileextent:restore-2024.01_A:agent:host-7:incarnation", keys.Incarnation("host-7"));
}

TEST(FileExtentStreamKeysTest, IdsThatCouldReachIntoOtherKeysAreRefused)
{
    CFileExtentStreamKeys keys;
    EXPECT_FALSE(CFileExtentStreamKeys::ForJob(std::string(64, 'j'), keys).IsError());
    for (const std::string& id : {std::string(), std::string(65, 'j'), std::string("a:b"), std::string("a b"),
                                  std::string("a*"), std::string("caf\xC3\xA9"), std::string("a\0b", 3)})
    {
        EXPECT_TRUE(FXErrorUtil::IsWin32(CFileExtentStreamKeys::ForJob(id, keys), ERROR_INVALID_PARAMETER)) << id;
        EXPECT_TRUE(FXErrorUtil::IsWin32(CFileExtentStreamKeys::CheckId(id, "agent id"), ERROR_INVALID_PARAMETER));
    }
}
