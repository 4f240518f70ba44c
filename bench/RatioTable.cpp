#include "RatioTable.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace
{
// Columns are padded by what a terminal shows, not by bytes: "µ" is two bytes.
std::size_t Width(const std::string& text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string Padded(const std::string& text, std::size_t width, bool right)
{
    const std::string fill(width > Width(text) ? width - Width(text) : 0, ' ');
    return right ? fill + text : text + fill;
}
} // namespace

bool CRatioTable::Target::Met(double value) const
{
    switch (kind)
    {
    case Kind::AtLeast:
        return value >= limit;
    case Kind::AtMost:
        return value <= limit;
    case Kind::None:
        break;
    }
    return true;
}

std::string CRatioTable::Target::Text() const
{
    switch (kind)
    {
    case Kind::AtLeast:
        return ">= " + Number(limit);
    case Kind::AtMost:
        return limit == 0 ? "0" : "<= " + Number(limit);
    case Kind::None:
        break;
    }
    return "-";
}

void CRatioTable::Add(Row row)
{
    m_rows.push_back(std::move(row));
}

std::string CRatioTable::Micros(double seconds, const std::string& unit)
{
    return Number(seconds * 1e6) + " µs/" + unit;
}

std::string CRatioTable::Number(double value)
{
    char text[32];
    const double magnitude = value < 0 ? -value : value;
    // A rare allocation per event must not print as 0.
    const char* format = magnitude >= 100 || value == static_cast<long long>(value) ? "%.0f"
                         : magnitude >= 10                                        ? "%.1f"
                         : magnitude >= 0.1                                       ? "%.2f"
                         : magnitude >= 0.001                                     ? "%.3f"
                                                                                  : "%.2g";
    std::snprintf(text, sizeof(text), format, value);
    return text;
}

void CRatioTable::Print(std::ostream& out) const
{
    std::vector<std::vector<std::string>> cells = {
        {"scenario", "ours", "baseline", "ratio", "", "target", "result", "rounds"}};
    int targets = 0;
    int met = 0;
    for (const Row& row : m_rows)
    {
        const bool hasTarget = row.target.kind != Target::Kind::None;
        const bool isMet = row.target.Met(row.ratio);
        targets += hasTarget ? 1 : 0;
        met += hasTarget && isMet ? 1 : 0;
        cells.push_back({row.scenario, row.ours, row.baseline, row.ratioName, Number(row.ratio), row.target.Text(),
                         hasTarget ? (isMet ? "met" : "NOT MET") : "-", std::to_string(row.rounds)});
    }
    std::vector<std::size_t> widths(cells.front().size(), 0);
    for (const auto& line : cells)
        for (std::size_t column = 0; column < line.size(); ++column)
            widths[column] = std::max(widths[column], Width(line[column]));
    const std::vector<bool> rightAligned = {false, true, true, false, true, true, false, true};
    for (std::size_t index = 0; index < cells.size(); ++index)
    {
        std::string line;
        for (std::size_t column = 0; column < cells[index].size(); ++column)
            line += (column ? "  " : "") + Padded(cells[index][column], widths[column], rightAligned[column]);
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << '\n';
        if (index == 0)
            out << std::string(Width(line), '-') << '\n';
    }
    out << '\n' << met << " of " << targets << " targets met.\n";
}
