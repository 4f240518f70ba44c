#include "ReportCommand.h"

#include "DatabaseProbe.h"
#include "TableWriter.h"
#include "ToolDirectory.h"
#include "ToolLog.h"

#include "platform/ZuUtils/FXErrorUtil.h"
#include "restore/FileExtentRestoreHandler.h"
#include "store/FileExtentRestoreDB.h"

#include <nlohmann/json.hpp>

#include <iostream>

using namespace FILEEXTENT_RESTORE;

namespace
{
std::string ActionText(bool deleteItem, bool renameItem, const std::string& newName)
{
    if (!deleteItem && !renameItem)
        return "-";
    std::string text = deleteItem ? "delete" : "";
    if (renameItem)
        text += std::string(deleteItem ? "+" : "") + "rename to " + newName;
    return text;
}
} // namespace

CReportCommand::CReportCommand(CLI::App& parent)
{
    m_app = parent.add_subcommand("report", "List the items of a restore database (FileExtentRestore.db)");
    m_app->footer("The database is only read: a missing file, a file that is not a restore database, or a\n"
                  "database of the recall facade is an error, and nothing is created.");
    CommandOptions::AddDirectory(*m_app, m_directory, "Directory that holds FileExtentRestore.db");
    m_taskOption = m_app->add_option("--task", m_task, "Only items of this restore task")->type_name("ID");
    CommandOptions::AddStatus(*m_app, m_status);
    CommandOptions::AddFormat(*m_app, m_format);
    CommandOptions::AddLimit(*m_app, m_limit);
    CommandOptions::AddVerbose(*m_app, m_verbosity);
}

CToolStatus CReportCommand::Run()
{
    std::string dbPath;
    std::vector<CRow> rows;
    CToolStatus status = Collect(m_directory, dbPath, rows);
    if (!status.IsOk())
        return status;
    Write(dbPath, rows);
    return CToolStatus::Ok();
}

CToolStatus CReportCommand::Collect(const std::string& directory, std::string& dbPath, std::vector<CRow>& rows)
{
    CToolDirectory dir(directory);
    CToolStatus status = dir.CheckReadable();
    if (!status.IsOk())
        return status;
    status = CDatabaseProbe(dir.File(FileExtentLocalDBName)).RequireTable("RestoredItems", "RecalledItems");
    if (!status.IsOk())
        return status;
    CToolLog log(dir.File(CToolLog::FileName), m_verbosity);

    CFileExtentRestoreHandler handler;
    CZuError error = handler.Initialize(dir.Path(), false, FN_SendXDRMsgToFIR(), FN_SendXMLMsgToFIR(), 0);
    if (error.IsError())
        return CToolStatus::Failure("cannot open the restore database in '" + dir.Path() + "'", error);
    dbPath = handler.GetContainerItemDBPath();
    // Rows are gathered first and written only when all were read: no half report on a failure.
    error = handler.GetAllRestoredItems(
        [this, &rows](const std::string& path, unsigned int version, const CFileExtentContainerItemRestoreReport& r) {
            if (Wanted(r) && (m_limit == 0 || rows.size() < m_limit))
                rows.push_back(MakeRow(path, version, r));
            return CZuError::Success();
        });
    handler.DeInitialize();
    if (error.IsError() && !FXErrorUtil::IsWin32(error, ERROR_NOT_FOUND))
        return CToolStatus::Failure("cannot read the restore database '" + dbPath + "'", error);
    return CToolStatus::Ok();
}

bool CReportCommand::Wanted(const CFileExtentContainerItemRestoreReport& report) const
{
    if (m_taskOption->count() && report.GetTaskId() != m_task)
        return false;
    return m_status < 0 || static_cast<int>(report.GetRestoreStatus()) == m_status;
}

CReportCommand::CRow CReportCommand::MakeRow(const std::string& path, unsigned int version,
                                             const CFileExtentContainerItemRestoreReport& report)
{
    CRow row;
    row.Path = path;
    row.Version = version;
    const auto name = RestoreStatusToString.find(report.GetRestoreStatus());
    row.Status = name != RestoreStatusToString.end() ? name->second : std::to_string(report.GetRestoreStatus());
    row.ErrorCode = report.GetErrCode();
    row.ExtentsDone = report.GetExtentBitmap().count();
    row.ExtentsTotal = report.GetNoOfExtents();
    row.RestoredPath = report.GetRestoredFilePath();
    row.TaskId = report.GetTaskId();
    const CFileExtentContainerItemRestoredAttributes& attributes =
        report.GetFileExtentContainerItemRestoredAttributes();
    row.Attributes[0] = attributes.Value1;
    row.Attributes[1] = attributes.Value2;
    row.Attributes[2] = attributes.Value3;
    row.Attributes[3] = attributes.Value4;
    row.Attributes[4] = attributes.Value5;
    const CFileExtentRestoredItemPostProcessAction& action = report.GetFileExtentRestoredItemPostProcessAction();
    row.DeleteItem = action.DeleteItem;
    row.RenameItem = action.RenameItem;
    row.NewName = action.NewName;
    return row;
}

void CReportCommand::Write(const std::string& dbPath, const std::vector<CRow>& rows) const
{
    if (m_format == CommandOptions::OutputFormat::Json)
        return WriteJson(dbPath, rows);
    if (m_format == CommandOptions::OutputFormat::Csv)
    {
        CTableWriter csv({"path", "version", "status", "error_code", "extents_done", "extents_total",
                          "restored_path", "task_id", "value1", "value2", "value3", "value4", "value5", "delete",
                          "rename", "new_name"});
        for (const CRow& r : rows)
            csv.AddRow({r.Path, std::to_string(r.Version), r.Status, std::to_string(r.ErrorCode),
                        std::to_string(r.ExtentsDone), std::to_string(r.ExtentsTotal), r.RestoredPath,
                        std::to_string(r.TaskId), std::to_string(r.Attributes[0]), std::to_string(r.Attributes[1]),
                        std::to_string(r.Attributes[2]), std::to_string(r.Attributes[3]),
                        std::to_string(r.Attributes[4]), r.DeleteItem ? "true" : "false",
                        r.RenameItem ? "true" : "false", r.NewName});
        return csv.WriteCsv(std::cout);
    }
    CTableWriter table({"PATH", "VERSION", "STATUS", "ERROR", "EXTENTS", "TASK", "RESTORED PATH", "ATTRIBUTES",
                        "POST-PROCESS"});
    for (const CRow& r : rows)
        table.AddRow({r.Path, std::to_string(r.Version), r.Status, std::to_string(r.ErrorCode),
                      std::to_string(r.ExtentsDone) + "/" + std::to_string(r.ExtentsTotal), std::to_string(r.TaskId),
                      r.RestoredPath,
                      std::to_string(r.Attributes[0]) + " " + std::to_string(r.Attributes[1]) + " " +
                          std::to_string(r.Attributes[2]) + " " + std::to_string(r.Attributes[3]) + " " +
                          std::to_string(r.Attributes[4]),
                      ActionText(r.DeleteItem, r.RenameItem, r.NewName)});
    table.WriteTable(std::cout);
    std::cout << rows.size() << " item(s) in " << dbPath << '\n';
}

void CReportCommand::WriteJson(const std::string& dbPath, const std::vector<CRow>& rows) const
{
    nlohmann::ordered_json items = nlohmann::ordered_json::array();
    for (const CRow& r : rows)
    {
        nlohmann::ordered_json item;
        item["path"] = r.Path;
        item["version"] = r.Version;
        item["status"] = r.Status;
        item["error_code"] = r.ErrorCode;
        item["extents_done"] = r.ExtentsDone;
        item["extents_total"] = r.ExtentsTotal;
        item["restored_path"] = r.RestoredPath;
        item["task_id"] = r.TaskId;
        item["attributes"] = {{"value1", r.Attributes[0]}, {"value2", r.Attributes[1]}, {"value3", r.Attributes[2]},
                              {"value4", r.Attributes[3]}, {"value5", r.Attributes[4]}};
        item["post_process_action"] = {{"delete", r.DeleteItem}, {"rename", r.RenameItem}, {"new_name", r.NewName}};
        items.push_back(std::move(item));
    }
    nlohmann::ordered_json document;
    document["database"] = dbPath;
    document["count"] = rows.size();
    document["items"] = std::move(items);
    // Invalid UTF-8 in a path is replaced rather than thrown on: the report stays complete.
    std::cout << document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}
