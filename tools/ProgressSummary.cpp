#include "ProgressSummary.h"

#include "TableWriter.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <vector>

namespace
{
std::string PercentText(double percent)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%.1f", percent);
    return text;
}

// The cells of one line, task id first: the CSV columns and the table's, extents apart.
std::vector<std::string> Cells(const std::string& task, const CProgressSummary::CCounts& c)
{
    std::vector<std::string> cells = {task, std::to_string(c.Files)};
    for (std::uint64_t count : c.ByStatus)
        cells.push_back(std::to_string(count));
    cells.push_back(std::to_string(c.ExtentsDone));
    cells.push_back(std::to_string(c.ExtentsExpected));
    cells.push_back(PercentText(c.Percent()));
    return cells;
}

nlohmann::ordered_json Json(const CProgressSummary::CCounts& c)
{
    nlohmann::ordered_json counts;
    counts["files"] = c.Files;
    counts["success"] = c.ByStatus[0];
    counts["failed"] = c.ByStatus[1];
    counts["skipped"] = c.ByStatus[2];
    counts["progressing"] = c.ByStatus[3];
    counts["extents_done"] = c.ExtentsDone;
    counts["extents_total"] = c.ExtentsExpected;
    counts["percent"] = c.Percent();
    return counts;
}
} // namespace

void CProgressSummary::CCounts::Add(const CRestoreRow& row)
{
    ++Files;
    if (row.Status >= 0 && row.Status < 4)
        ++ByStatus[row.Status];
    ExtentsDone += row.Bitmap.count();
    ExtentsExpected += row.ExpectedExtents();
}

double CProgressSummary::CCounts::Percent() const
{
    if (ExtentsExpected == 0)
        return 100.0;
    return std::floor(1000.0 * static_cast<double>(ExtentsDone) / static_cast<double>(ExtentsExpected)) / 10.0;
}

void CProgressSummary::Add(const CRestoreRow& row)
{
    m_tasks[row.TaskId].Add(row);
    m_total.Add(row);
}

void CProgressSummary::Write(CommandOptions::OutputFormat format, const std::string& dbPath, std::ostream& out) const
{
    if (format == CommandOptions::OutputFormat::Json)
        return WriteJson(dbPath, out);
    if (format == CommandOptions::OutputFormat::Csv)
        return WriteCsv(out);
    WriteTable(dbPath, out);
}

void CProgressSummary::WriteTable(const std::string& dbPath, std::ostream& out) const
{
    CTableWriter table({"TASK", "FILES", "SUCCESS", "FAILED", "SKIPPED", "PROGRESSING", "EXTENTS", "DONE"});
    auto add = [&table](const std::string& task, const CCounts& c) {
        std::vector<std::string> cells = Cells(task, c);
        const std::string percent = cells.back() + "%";
        cells.resize(6);
        cells.push_back(std::to_string(c.ExtentsDone) + "/" + std::to_string(c.ExtentsExpected));
        cells.push_back(percent);
        table.AddRow(cells);
    };
    for (const auto& task : m_tasks)
        add(std::to_string(task.first), task.second);
    add("total", m_total);
    out << "Restore progress in " << dbPath << '\n';
    table.WriteTable(out);
}

void CProgressSummary::WriteCsv(std::ostream& out) const
{
    CTableWriter csv({"task_id", "files", "success", "failed", "skipped", "progressing", "extents_done",
                      "extents_total", "percent"});
    for (const auto& task : m_tasks)
        csv.AddRow(Cells(std::to_string(task.first), task.second));
    csv.AddRow(Cells("total", m_total));
    csv.WriteCsv(out);
}

void CProgressSummary::WriteJson(const std::string& dbPath, std::ostream& out) const
{
    nlohmann::ordered_json tasks = nlohmann::ordered_json::array();
    for (const auto& task : m_tasks)
    {
        nlohmann::ordered_json item;
        item["task_id"] = task.first;
        item.update(Json(task.second));
        tasks.push_back(std::move(item));
    }
    nlohmann::ordered_json document;
    document["database"] = dbPath;
    document["tasks"] = std::move(tasks);
    document["total"] = Json(m_total);
    out << document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}
