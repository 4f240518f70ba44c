#pragma once

#include "ToolStatus.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>

// `fileextentctl collect`: one collector of a distributed restore's job. It reads the job's Redis
// stream in the group "collectors" (its own pending entries first, then entries a dead collector
// left, then new ones), stores each batch in FileExtentCollector.db in one transaction, and
// acknowledges the batch only after the commit. Entries that cannot be stored go to the job's
// dead-letter stream with the reason. Several collectors of one job share one directory.
class CCollectCommand
{
public:
    explicit CCollectCommand(CLI::App& parent);

    bool IsChosen() const { return m_app->parsed(); }
    CToolStatus Run();

private:
    CLI::App* m_app;
    std::string m_redis;
    std::string m_job;
    std::string m_directory;
    std::string m_name;
    bool m_decide = false;
    std::uint64_t m_untilIdle = 0;
    std::uint64_t m_batch = 500;
    std::uint64_t m_claimIdle = 60;
    int m_verbosity = 0;
};
