#include "TableWriter.h"

#include <algorithm>

namespace
{
const char CutMark[] = "...";

bool StartsCharacter(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

void WriteCsvLine(std::ostream& out, const std::vector<std::string>& cells)
{
    for (std::size_t i = 0; i < cells.size(); ++i)
        out << (i ? "," : "") << CTableWriter::CsvField(cells[i]);
    out << "\r\n";
}
} // namespace

CTableWriter::CTableWriter(std::vector<std::string> header, std::size_t maxWidth)
    : m_header(std::move(header)), m_maxWidth(std::max<std::size_t>(maxWidth, sizeof(CutMark)))
{
}

void CTableWriter::AddRow(std::vector<std::string> cells)
{
    cells.resize(m_header.size());
    m_rows.push_back(std::move(cells));
}

std::string CTableWriter::CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text)
    {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::size_t CTableWriter::DisplayWidth(const std::string& text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), StartsCharacter));
}

// Walks no further than the limit: a cell of megabytes costs what a short one does.
std::string CTableWriter::TableCell(const std::string& text, std::size_t maxWidth)
{
    const std::size_t keep = maxWidth - (sizeof(CutMark) - 1);
    std::size_t characters = 0;
    std::size_t keepEnd = text.size();
    std::size_t end = 0;
    for (; end < text.size(); ++end)
    {
        if (!StartsCharacter(text[end]))
            continue;
        if (characters == keep)
            keepEnd = end;
        if (characters++ == maxWidth)
            break;
    }
    std::string shown = end < text.size() ? text.substr(0, keepEnd) + CutMark : text;
    // Control characters would break the table's lines.
    std::replace_if(shown.begin(), shown.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, '?');
    return shown;
}

void CTableWriter::WriteTable(std::ostream& out) const
{
    auto shown = [this](const std::vector<std::string>& cells) {
        std::vector<std::string> result;
        for (const std::string& cell : cells)
            result.push_back(TableCell(cell, m_maxWidth));
        return result;
    };
    std::vector<std::size_t> widths(m_header.size());
    auto widen = [&widths](const std::vector<std::string>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i)
            widths[i] = std::max(widths[i], DisplayWidth(cells[i]));
    };
    widen(shown(m_header));
    for (const std::vector<std::string>& row : m_rows)
        widen(shown(row));

    auto writeLine = [&](const std::vector<std::string>& cells) {
        std::string line;
        for (std::size_t i = 0; i < cells.size(); ++i)
        {
            line += cells[i];
            if (i + 1 < cells.size())
                line += std::string(widths[i] - DisplayWidth(cells[i]) + 2, ' ');
        }
        out << line << '\n';
    };
    writeLine(shown(m_header));
    std::vector<std::string> rule;
    for (std::size_t width : widths)
        rule.push_back(std::string(width, '-'));
    writeLine(rule);
    for (const std::vector<std::string>& row : m_rows)
        writeLine(shown(row));
}

void CTableWriter::WriteCsv(std::ostream& out) const
{
    WriteCsvLine(out, m_header);
    for (const std::vector<std::string>& row : m_rows)
        WriteCsvLine(out, row);
}
