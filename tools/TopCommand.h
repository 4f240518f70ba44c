#pragma once

#include "ToolStatus.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdint>
#include <map>
#include <string>

namespace FILEEXTENT_REDIS
{
class CRedisConnection;
class CFileExtentStreamKeys;
} // namespace FILEEXTENT_REDIS

// `fileextentctl top`: a live view of a distributed restore: the job's stream and its collectors'
// group (lag, pending entries, each collector), every agent with its last message and records per
// second, and the files by status from the collector's database, which it only reads.
class CTopCommand
{
public:
    explicit CTopCommand(CLI::App& parent);

    bool IsChosen() const { return m_app->parsed(); }
    CToolStatus Run();

private:
    // An agent's records when last shown, for its rate.
    struct CSeen
    {
        std::int64_t Records = 0;
        std::chrono::steady_clock::time_point When;
    };

    CToolStatus Round(FILEEXTENT_REDIS::CRedisConnection& connection, const FILEEXTENT_REDIS::CFileExtentStreamKeys& keys,
                      std::string& text);
    std::string AgentsSection(const std::string& dbPath);
    std::string FilesSection(const std::string& dbPath);

    CLI::App* m_app;
    std::string m_redis;
    std::string m_job;
    std::string m_directory;
    std::uint64_t m_interval = 2;
    bool m_once = false;
    std::map<std::string, CSeen> m_seen;
};
