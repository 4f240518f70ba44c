#pragma once

#include "support/RedisServer.h"
#include "transport/redis/RedisAddress.h"
#include "transport/redis/RedisConnection.h"
#include "transport/redis/RedisStreamEntry.h"
#include "transport/redis/StreamReplyParser.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

using namespace FILEEXTENT_REDIS;

// A fixture with a real redis-server of its own, and a plain connection to look at what the code
// under test left in it.
class RedisFixture : public ::testing::Test
{
protected:
    static constexpr const char* Job = "job-1";
    static constexpr const char* Records = "fileextent:job-1";
    static constexpr const char* DeadLetters = "fileextent:job-1:dead";

    void SetUp() override
    {
        ASSERT_TRUE(server.Start()) << server.Error();
        CRedisAddress address;
        ASSERT_FALSE(CRedisAddress::Parse(server.Address(), address).IsError());
        probe.reset(new CRedisConnection(address, std::chrono::seconds(5)));
    }

    CRedisReply Run(const std::vector<std::string>& arguments)
    {
        CRedisReply reply;
        CZuError error = probe->Command(arguments, reply);
        if (error.IsError() && !probe->IsConnected())
            error = probe->Command(arguments, reply); // the server was restarted under the probe
        EXPECT_FALSE(error.IsError()) << error.AsString();
        return reply;
    }

    std::vector<CRedisStreamEntry> Range(const std::string& key)
    {
        std::vector<CRedisStreamEntry> entries;
        const CZuError error = CStreamReplyParser::Entries(Run({"XRANGE", key, "-", "+"}), entries);
        EXPECT_FALSE(error.IsError()) << error.AsString();
        return entries;
    }

    static std::string Field(const CRedisStreamEntry& entry, const std::string& name)
    {
        for (const auto& field : entry.Fields)
        {
            if (field.first == name)
                return field.second;
        }
        return "<absent>";
    }

    RedisServer server;
    std::unique_ptr<CRedisConnection> probe;
};
