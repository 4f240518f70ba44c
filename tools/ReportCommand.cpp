#include "ReportCommand.h"

#include "MissingExtentsReport.h"
#include "ProgressSummary.h"
#include "ScreenRedraw.h"
#include "TableWriter.h"
#include "ToolDirectory.h"

#include "collector/FileExtentCollector.h"
#include "store/FileExtentRestoreDB.h"

#include <nlohmann/json.hpp>

#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <iostream>
#include <sstream>
#include <thread>

using namespace FILEEXTENT_RESTORE;
using FILEEXTENT_COLLECTOR::CFileExtentCollector;

namespace
{
const std::uint64_t MaxWatchSeconds = 86400;

std::string ActionText(const CFileExtentRestoredItemPostProcessAction& action)
{
    if (!action.DeleteItem && !action.RenameItem)
        return "-";
    std::string text = action.DeleteItem ? "delete" : "";
    if (action.RenameItem)
        text += std::string(action.DeleteItem ? "+" : "") + "rename to " + action.NewName;
    return text;
}

std::vector<std::string> AttributeCells(const CFileExtentContainerItemRestoredAttributes& a)
{
    return {std::to_string(a.Value1), std::to_string(a.Value2), std::to_string(a.Value3), std::to_string(a.Value4),
            std::to_string(a.Value5)};
}

} // namespace

CReportCommand::CReportCommand(CLI::App& parent)
{
    m_app = parent.add_subcommand("report", "List the items of a restore database (FileExtentRestore.db)");
    m_app->footer("The database is only read, past the library: its bytes, its journal mode and its directory stay\n"
                  "as they were (a database on read-only media is read as it stands). A missing file, a file\n"
                  "that is not a restore database, or a database of the recall facade is an error.");
    CommandOptions::AddDirectory(*m_app, m_directory, "Directory that holds FileExtentRestore.db");
    m_taskOption = m_app->add_option("--task", m_task, "Only items of this restore task")
                       ->type_name("ID")
                       ->check(CommandOptions::WholeNumber(0, INT32_MAX));
    CommandOptions::AddStatus(*m_app, m_status);
    CommandOptions::AddFormat(*m_app, m_format);
    CLI::Option* limit = CommandOptions::AddLimit(*m_app, m_limit);
    CLI::Option* missing = m_app->add_flag(
        "--missing", m_missing, "For every file that lacks extents, its missing extents as ranges (0-3,7,9-12)");
    CLI::Option* summary = m_app->add_flag(
        "--summary", m_summary,
        "Per task and in total: files by status, extents reported of extents expected, and the share done");
    m_app->add_option("--watch", m_watch, "With --summary: show it again every SECONDS until interrupted")
        ->type_name("SECONDS")
        ->check(CommandOptions::WholeNumber(1, MaxWatchSeconds))
        ->needs(summary);
    summary->excludes(missing)->excludes(limit);
    m_app->add_flag("--collector", m_collector,
                    "Read the collector's merged records (FileExtentCollector.db, written by `collect` or a "
                    "distributed simulation) instead of FileExtentRestore.db");
}

CToolStatus CReportCommand::Run()
{
    CToolDirectory dir(m_directory);
    CToolStatus status = dir.CheckReadable();
    if (!status.IsOk())
        return status;
    const std::string dbPath = dir.File(m_collector ? CFileExtentCollector::DBName : FileExtentLocalDBName);
    if (m_summary)
        return m_watch ? WatchSummary(dbPath) : RunSummary(dbPath);
    return m_missing ? RunMissing(dbPath) : RunList(dbPath);
}

// Rows are gathered first and written only when all were read: no half report on a failure.
CToolStatus CReportCommand::Collect(const std::string& dbPath, bool limited,
                                    const std::function<bool(const CRestoreRow&)>& fn)
{
    CRestoreDatabaseReader reader;
    CToolStatus status = reader.Open(dbPath);
    if (!status.IsOk())
        return status;
    std::uint64_t taken = 0;
    return reader.ForEachItem([&](const CRestoreRow& row) {
        if (Wanted(row) && fn(row))
            ++taken;
        return !limited || m_limit == 0 || taken < m_limit;
    });
}

bool CReportCommand::Wanted(const CRestoreRow& row) const
{
    if (m_taskOption->count() && static_cast<std::uint64_t>(row.TaskId) != m_task)
        return false;
    return m_status < 0 || row.Status == m_status;
}

CToolStatus CReportCommand::RunList(const std::string& dbPath)
{
    std::vector<CRestoreRow> rows;
    CToolStatus status = Collect(dbPath, true, [&rows](const CRestoreRow& row) {
        rows.push_back(row);
        return true;
    });
    if (status.IsOk())
        WriteList(dbPath, rows);
    return status;
}

CToolStatus CReportCommand::RunMissing(const std::string& dbPath)
{
    CMissingExtentsReport report;
    CToolStatus status = Collect(dbPath, true, [&report](const CRestoreRow& row) { return report.Add(row); });
    if (status.IsOk())
        report.Write(m_format, dbPath, std::cout);
    return status;
}

CToolStatus CReportCommand::SummaryText(const std::string& dbPath, std::string& text)
{
    CProgressSummary summary;
    CToolStatus status = Collect(dbPath, false, [&summary](const CRestoreRow& row) {
        summary.Add(row);
        return true;
    });
    if (!status.IsOk())
        return status;
    std::ostringstream out;
    summary.Write(m_format, dbPath, out);
    text = out.str();
    return CToolStatus::Ok();
}

CToolStatus CReportCommand::RunSummary(const std::string& dbPath)
{
    std::string text;
    CToolStatus status = SummaryText(dbPath, text);
    if (status.IsOk())
        std::cout << text;
    return status;
}

// Each round opens the database afresh and sees what the writer has flushed so far. Only the first
// round's failure ends the watch: later ones (a new run replacing the file) are shown and retried.
CToolStatus CReportCommand::WatchSummary(const std::string& dbPath)
{
    CScreenRedraw screen(std::cout, CScreenRedraw::TerminalColumns());
    for (bool first = true;; first = false)
    {
        std::string text;
        const CToolStatus status = SummaryText(dbPath, text);
        if (!status.IsOk() && first)
            return status;
        if (!status.IsOk())
            text = status.Message() + "\n";
        const bool table = m_format == CommandOptions::OutputFormat::Table;
        screen.Show((table ? CScreenRedraw::ClockTime() + ", every " + std::to_string(m_watch) + " s (Ctrl-C ends)\n" : "") + text);
        std::this_thread::sleep_for(std::chrono::seconds(m_watch));
    }
}

void CReportCommand::WriteList(const std::string& dbPath, const std::vector<CRestoreRow>& rows) const
{
    if (m_format == CommandOptions::OutputFormat::Json)
        return WriteListJson(dbPath, rows);
    if (m_format == CommandOptions::OutputFormat::Csv)
    {
        CTableWriter csv({"path", "version", "status", "error_code", "extents_done", "extents_total",
                          "restored_path", "task_id", "value1", "value2", "value3", "value4", "value5", "delete",
                          "rename", "new_name"});
        for (const CRestoreRow& r : rows)
        {
            std::vector<std::string> cells = {r.Path,
                                              std::to_string(r.Version),
                                              r.StatusName(),
                                              std::to_string(r.ErrorCode),
                                              std::to_string(r.Bitmap.count()),
                                              std::to_string(r.NumOfExtents),
                                              r.RestoredPath,
                                              std::to_string(r.TaskId)};
            for (std::string& value : AttributeCells(r.Attributes))
                cells.push_back(std::move(value));
            cells.insert(cells.end(), {r.Action.DeleteItem ? "true" : "false", r.Action.RenameItem ? "true" : "false",
                                       r.Action.NewName});
            csv.AddRow(std::move(cells));
        }
        return csv.WriteCsv(std::cout);
    }
    CTableWriter table({"PATH", "VERSION", "STATUS", "ERROR", "EXTENTS", "TASK", "RESTORED PATH", "ATTRIBUTES",
                        "POST-PROCESS"});
    for (const CRestoreRow& r : rows)
    {
        std::string attributes;
        for (const std::string& value : AttributeCells(r.Attributes))
            attributes += (attributes.empty() ? "" : " ") + value;
        table.AddRow({r.Path, std::to_string(r.Version), r.StatusName(), std::to_string(r.ErrorCode),
                      std::to_string(r.Bitmap.count()) + "/" + std::to_string(r.NumOfExtents),
                      std::to_string(r.TaskId), r.RestoredPath, attributes, ActionText(r.Action)});
    }
    table.WriteTable(std::cout);
    std::cout << rows.size() << " item(s) in " << dbPath << '\n';
}

void CReportCommand::WriteListJson(const std::string& dbPath, const std::vector<CRestoreRow>& rows) const
{
    nlohmann::ordered_json items = nlohmann::ordered_json::array();
    for (const CRestoreRow& r : rows)
    {
        nlohmann::ordered_json item;
        item["path"] = r.Path;
        item["version"] = r.Version;
        item["status"] = r.StatusName();
        item["error_code"] = r.ErrorCode;
        item["extents_done"] = r.Bitmap.count();
        item["extents_total"] = r.NumOfExtents;
        item["restored_path"] = r.RestoredPath;
        item["task_id"] = r.TaskId;
        const CFileExtentContainerItemRestoredAttributes& a = r.Attributes;
        item["attributes"] = {{"value1", a.Value1}, {"value2", a.Value2}, {"value3", a.Value3},
                              {"value4", a.Value4}, {"value5", a.Value5}};
        item["post_process_action"] = {
            {"delete", r.Action.DeleteItem}, {"rename", r.Action.RenameItem}, {"new_name", r.Action.NewName}};
        items.push_back(std::move(item));
    }
    nlohmann::ordered_json document;
    document["database"] = dbPath;
    document["count"] = rows.size();
    document["items"] = std::move(items);
    // Invalid UTF-8 in a path is replaced rather than thrown on: the report stays complete.
    std::cout << document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}
