#include "TableWriter.h"

#include <algorithm>

namespace
{
// Control characters would break the table's lines; they are shown as '?' there (CSV keeps them).
std::string Printable(const std::string& text)
{
    std::string shown = text;
    std::replace_if(shown.begin(), shown.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, '?');
    return shown;
}

void WriteCsvLine(std::ostream& out, const std::vector<std::string>& cells)
{
    for (std::size_t i = 0; i < cells.size(); ++i)
        out << (i ? "," : "") << CTableWriter::CsvField(cells[i]);
    out << "\r\n";
}
} // namespace

CTableWriter::CTableWriter(std::vector<std::string> header) : m_header(std::move(header))
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

void CTableWriter::WriteTable(std::ostream& out) const
{
    std::vector<std::size_t> widths(m_header.size());
    for (std::size_t i = 0; i < m_header.size(); ++i)
        widths[i] = m_header[i].size();
    for (const std::vector<std::string>& row : m_rows)
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());

    auto writeLine = [&](const std::vector<std::string>& cells) {
        std::string line;
        for (std::size_t i = 0; i < cells.size(); ++i)
        {
            const std::string cell = Printable(cells[i]);
            line += cell;
            if (i + 1 < cells.size())
                line += std::string(widths[i] - cell.size() + 2, ' ');
        }
        out << line << '\n';
    };
    writeLine(m_header);
    std::vector<std::string> rule;
    for (std::size_t width : widths)
        rule.push_back(std::string(width, '-'));
    writeLine(rule);
    for (const std::vector<std::string>& row : m_rows)
        writeLine(row);
}

void CTableWriter::WriteCsv(std::ostream& out) const
{
    WriteCsvLine(out, m_header);
    for (const std::vector<std::string>& row : m_rows)
        WriteCsvLine(out, row);
}
