#pragma once

#include "CommandOptions.h"
#include "RestoreDatabaseReader.h"
#include "ToolStatus.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// `fileextentctl report`: the items of a restore database as a table, JSON or CSV; with --missing
// the missing extents of the files that lack some; with --summary the progress per task, once or
// every --watch seconds. The database is read past the library and never changed.
class CReportCommand
{
public:
    explicit CReportCommand(CLI::App& parent);

    bool IsChosen() const { return m_app->parsed(); }
    CToolStatus Run();

private:
    // Reads every wanted row, at most --limit of them when `limited`.
    CToolStatus Collect(const std::string& dbPath, bool limited, const std::function<bool(const CRestoreRow&)>& fn);
    bool Wanted(const CRestoreRow& row) const;
    CToolStatus RunList(const std::string& dbPath);
    CToolStatus RunMissing(const std::string& dbPath);
    CToolStatus RunSummary(const std::string& dbPath);
    CToolStatus WatchSummary(const std::string& dbPath);
    CToolStatus SummaryText(const std::string& dbPath, std::string& text);
    void WriteList(const std::string& dbPath, const std::vector<CRestoreRow>& rows) const;
    void WriteListJson(const std::string& dbPath, const std::vector<CRestoreRow>& rows) const;

    CLI::App* m_app;
    std::string m_directory;
    CLI::Option* m_taskOption = nullptr;
    std::uint64_t m_task = 0;
    int m_status = -1;
    std::uint64_t m_limit = 0;
    CommandOptions::OutputFormat m_format = CommandOptions::OutputFormat::Table;
    bool m_missing = false;
    bool m_summary = false;
    bool m_collector = false;
    std::uint64_t m_watch = 0;
};
