#pragma once

#include <ostream>
#include <string>
#include <vector>

// Rows of text cells under a header, written as an aligned table for people or as RFC 4180
// CSV (CRLF line ends, fields quoted when they hold a comma, quote, CR or LF) for programs.
// The table cuts a cell wider than the column's limit and marks the cut with "..."; CSV keeps
// every value whole.
class CTableWriter
{
public:
    static const std::size_t DefaultMaxWidth = 100;

    explicit CTableWriter(std::vector<std::string> header, std::size_t maxWidth = DefaultMaxWidth);

    void AddRow(std::vector<std::string> cells);
    std::size_t RowCount() const { return m_rows.size(); }

    void WriteTable(std::ostream& out) const;
    void WriteCsv(std::ostream& out) const;

    static std::string CsvField(const std::string& text);
    // The text as a table shows it: control characters as '?', at most maxWidth characters
    // (UTF-8 sequences count as one), the last three "..." when it was cut.
    static std::string TableCell(const std::string& text, std::size_t maxWidth);
    static std::size_t DisplayWidth(const std::string& text);

private:
    std::vector<std::string> m_header;
    std::size_t m_maxWidth;
    std::vector<std::vector<std::string>> m_rows;
};
