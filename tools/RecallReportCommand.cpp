#include "RecallReportCommand.h"

#include "RecallDatabaseReader.h"
#include "TableWriter.h"
#include "ToolDirectory.h"

#include "store/FileExtentRestoreDB.h"

#include <nlohmann/json.hpp>

#include <iostream>

using namespace FILEEXTENTRECALLDB;

namespace
{
std::string StatusName(RecallStatus status)
{
    const auto name = RecallStatusToString.find(status);
    return name != RecallStatusToString.end() ? name->second : std::to_string(status);
}

// Every decoded value of a report in one flat, ordered list: the CSV columns, and the JSON keys.
std::vector<std::pair<std::string, std::string>> FlatFields(const CFileExtentRecallFileReport& r)
{
    const CFileExtentRecallFileMetadata& m = r.Metadata;
    const CRecallRequestStats& s = m.Stats;
    auto n = [](auto value) { return std::to_string(value); };
    return {{"path", r.FilePath},
            {"restored_path", r.RestoredFilePath},
            {"status", StatusName(r.Status.Status)},
            {"error_code", n(r.Status.ErrCode)},
            {"extents_done", n(r.ExtentBitmap.count())},
            {"extents_total", n(r.NoOfExtents)},
            {"version", n(m.Version)},
            {"sc_id", n(m.SCId)},
            {"file_size", n(m.FileSize)},
            {"file_extent_size", n(m.FileExtentSize)},
            {"stub_type", n(m.StubType)},
            {"stub_cache_file_path", m.StubCacheFilePath},
            {"stub_data", m.StubData},
            {"flags", n(m.Flags)},
            {"attributes", n(m.Attributes)},
            {"creation_time", n(m.CreationTime)},
            {"last_access_time", n(m.LastAccessTime)},
            {"last_write_time", n(m.LastWriteTime)},
            {"change_time", n(m.ChangeTime)},
            {"origin_info", m.OriginInfo},
            {"pre_lookup_time_taken", n(s.PreLookupTimeTaken.As100NSIntervals())},
            {"lookup_time_taken", n(s.LookupTimeTaken.As100NSIntervals())},
            {"in_dmr_queue", n(s.InDMRQueue.As100NSIntervals())},
            {"in_pipeline", n(s.InPipeline.As100NSIntervals())},
            {"in_tape_check", n(s.InTapeCheck.As100NSIntervals())},
            {"in_ma_arbitration", n(s.InMAArbitration.As100NSIntervals())},
            {"recall_start_time", n(s.RecallStartTime.AsUnixTime())},
            {"recall_duration", n(s.RecallDuration.As100NSIntervals())}};
}

std::string Milliseconds(const CTimeInterval& interval)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f", static_cast<double>(interval.As100NSIntervals()) / 10000.0);
    return text;
}
} // namespace

CRecallReportCommand::CRecallReportCommand(CLI::App& recall)
{
    m_app = recall.add_subcommand("report", "List the recalled files of a recall database (FileExtentRecall.db)");
    m_app->footer("The database is only read, past the library: its bytes, its journal mode and its directory stay\n"
                  "as they were. A missing file, a file that is not a recall database, or a database of the\n"
                  "restore facade is an error. Times in the statistics are 100-ns units; recall_start_time\n"
                  "is seconds since 1970.");
    CommandOptions::AddDirectory(*m_app, m_directory, "Directory that holds FileExtentRecall.db");
    CommandOptions::AddStatus(*m_app, m_status);
    CommandOptions::AddFormat(*m_app, m_format);
    CommandOptions::AddLimit(*m_app, m_limit);
}

CToolStatus CRecallReportCommand::Run()
{
    std::string dbPath;
    std::vector<CReport> reports;
    CToolStatus status = Collect(dbPath, reports);
    if (!status.IsOk())
        return status;
    if (m_format == CommandOptions::OutputFormat::Json)
        WriteJson(dbPath, reports);
    else if (m_format == CommandOptions::OutputFormat::Csv)
        WriteCsv(reports);
    else
        WriteTable(dbPath, reports);
    return CToolStatus::Ok();
}

CToolStatus CRecallReportCommand::Collect(std::string& dbPath, std::vector<CReport>& reports)
{
    CToolDirectory dir(m_directory);
    CToolStatus status = dir.CheckReadable();
    if (!status.IsOk())
        return status;
    dbPath = dir.File(FILEEXTENT_RESTORE::FileExtentRecallLocalDBName);
    CRecallDatabaseReader reader;
    status = reader.Open(dbPath);
    if (!status.IsOk())
        return status;
    // Gathered first, written only when all were read: no half report on a failure.
    return reader.ForEachItem([this, &reports](const CReport& report) {
        if (m_status < 0 || static_cast<int>(report.Status.Status) == m_status)
            reports.push_back(report);
        return m_limit == 0 || reports.size() < m_limit;
    });
}

void CRecallReportCommand::WriteTable(const std::string& dbPath, const std::vector<CReport>& reports) const
{
    CTableWriter table({"PATH", "STATUS", "ERROR", "EXTENTS", "FILE SIZE", "STUB TYPE", "STUB DATA", "ATTRIBUTES",
                        "RECALL MS"});
    for (const CReport& r : reports)
        table.AddRow({r.FilePath, StatusName(r.Status.Status), std::to_string(r.Status.ErrCode),
                      std::to_string(r.ExtentBitmap.count()) + "/" + std::to_string(r.NoOfExtents),
                      std::to_string(r.Metadata.FileSize), std::to_string(r.Metadata.StubType), r.Metadata.StubData,
                      std::to_string(r.Metadata.Attributes), Milliseconds(r.Metadata.Stats.RecallDuration)});
    table.WriteTable(std::cout);
    std::cout << reports.size() << " recalled file(s) in " << dbPath << '\n';
}

void CRecallReportCommand::WriteCsv(const std::vector<CReport>& reports) const
{
    std::vector<std::string> header;
    for (const auto& field : FlatFields(CReport()))
        header.push_back(field.first);
    CTableWriter csv(header);
    for (const CReport& r : reports)
    {
        std::vector<std::string> cells;
        for (auto& field : FlatFields(r))
            cells.push_back(std::move(field.second));
        csv.AddRow(std::move(cells));
    }
    csv.WriteCsv(std::cout);
}

void CRecallReportCommand::WriteJson(const std::string& dbPath, const std::vector<CReport>& reports) const
{
    nlohmann::ordered_json items = nlohmann::ordered_json::array();
    for (const CReport& r : reports)
    {
        const CFileExtentRecallFileMetadata& m = r.Metadata;
        const CRecallRequestStats& s = m.Stats;
        nlohmann::ordered_json item;
        item["path"] = r.FilePath;
        item["restored_path"] = r.RestoredFilePath;
        item["status"] = StatusName(r.Status.Status);
        item["error_code"] = r.Status.ErrCode;
        item["extents_done"] = r.ExtentBitmap.count();
        item["extents_total"] = r.NoOfExtents;
        nlohmann::ordered_json metadata;
        metadata["version"] = m.Version;
        metadata["sc_id"] = m.SCId;
        metadata["file_size"] = m.FileSize;
        metadata["file_extent_size"] = m.FileExtentSize;
        metadata["stub_type"] = m.StubType;
        metadata["stub_cache_file_path"] = m.StubCacheFilePath;
        metadata["stub_data"] = m.StubData;
        metadata["flags"] = m.Flags;
        metadata["attributes"] = m.Attributes;
        metadata["creation_time"] = m.CreationTime;
        metadata["last_access_time"] = m.LastAccessTime;
        metadata["last_write_time"] = m.LastWriteTime;
        metadata["change_time"] = m.ChangeTime;
        metadata["origin_info"] = m.OriginInfo;
        metadata["stats"] = {{"pre_lookup_time_taken", s.PreLookupTimeTaken.As100NSIntervals()},
                             {"lookup_time_taken", s.LookupTimeTaken.As100NSIntervals()},
                             {"in_dmr_queue", s.InDMRQueue.As100NSIntervals()},
                             {"in_pipeline", s.InPipeline.As100NSIntervals()},
                             {"in_tape_check", s.InTapeCheck.As100NSIntervals()},
                             {"in_ma_arbitration", s.InMAArbitration.As100NSIntervals()},
                             {"recall_start_time", s.RecallStartTime.AsUnixTime()},
                             {"recall_duration", s.RecallDuration.As100NSIntervals()}};
        item["metadata"] = std::move(metadata);
        items.push_back(std::move(item));
    }
    nlohmann::ordered_json document;
    document["database"] = dbPath;
    document["count"] = reports.size();
    document["items"] = std::move(items);
    std::cout << document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}
