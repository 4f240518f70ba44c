#include "MissingExtentsReport.h"

#include "TableWriter.h"

#include "restore/records/ExtentRuns.h"

#include <nlohmann/json.hpp>

std::string CMissingExtentsReport::Ranges(const FILEEXTENT_RESTORE::CExtentBitmap& bitmap, std::uint64_t& missing)
{
    std::string text;
    missing = 0;
    FILEEXTENT_RESTORE::CExtentRuns::ForEachMissing(bitmap, [&text, &missing](ULONGLONG first, ULONGLONG count) {
        text += (text.empty() ? "" : ",") + std::to_string(first);
        if (count > 1)
            text += "-" + std::to_string(first + count - 1);
        missing += count;
        return CZuError::Success();
    });
    return text;
}

bool CMissingExtentsReport::Add(const CRestoreRow& row)
{
    CItem item;
    item.Ranges = Ranges(row.ExpectedBitmap(), item.Missing);
    if (item.Missing == 0)
        return false;
    item.Path = row.Path;
    item.Version = row.Version;
    item.Status = row.StatusName();
    item.TaskId = row.TaskId;
    item.Extents = row.ExpectedExtents();
    m_items.push_back(std::move(item));
    return true;
}

void CMissingExtentsReport::Write(CommandOptions::OutputFormat format, const std::string& dbPath,
                                  std::ostream& out) const
{
    if (format == CommandOptions::OutputFormat::Json)
        return WriteJson(dbPath, out);
    const bool csv = format == CommandOptions::OutputFormat::Csv;
    CTableWriter table(csv ? std::vector<std::string>{"path", "version", "status", "task_id", "extents_total",
                                                      "extents_missing", "missing"}
                           : std::vector<std::string>{"PATH", "VERSION", "STATUS", "TASK", "MISSING", "RANGES"});
    for (const CItem& i : m_items)
    {
        if (csv)
            table.AddRow({i.Path, std::to_string(i.Version), i.Status, std::to_string(i.TaskId),
                          std::to_string(i.Extents), std::to_string(i.Missing), i.Ranges});
        else
            table.AddRow({i.Path, std::to_string(i.Version), i.Status, std::to_string(i.TaskId),
                          std::to_string(i.Missing) + "/" + std::to_string(i.Extents), i.Ranges});
    }
    if (csv)
        return table.WriteCsv(out);
    table.WriteTable(out);
    out << m_items.size() << " item(s) with missing extents in " << dbPath << '\n';
}

void CMissingExtentsReport::WriteJson(const std::string& dbPath, std::ostream& out) const
{
    nlohmann::ordered_json items = nlohmann::ordered_json::array();
    for (const CItem& i : m_items)
    {
        nlohmann::ordered_json item;
        item["path"] = i.Path;
        item["version"] = i.Version;
        item["status"] = i.Status;
        item["task_id"] = i.TaskId;
        item["extents_total"] = i.Extents;
        item["extents_missing"] = i.Missing;
        item["missing"] = i.Ranges;
        items.push_back(std::move(item));
    }
    nlohmann::ordered_json document;
    document["database"] = dbPath;
    document["count"] = m_items.size();
    document["items"] = std::move(items);
    out << document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}
