#pragma once

#include <ostream>
#include <string>
#include <vector>

// Rows of text cells under a header, written as an aligned table for people or as RFC 4180
// CSV (CRLF line ends, fields quoted when they hold a comma, quote, CR or LF) for programs.
class CTableWriter
{
public:
    explicit CTableWriter(std::vector<std::string> header);

    void AddRow(std::vector<std::string> cells);
    std::size_t RowCount() const { return m_rows.size(); }

    void WriteTable(std::ostream& out) const;
    void WriteCsv(std::ostream& out) const;

    static std::string CsvField(const std::string& text);

private:
    std::vector<std::string> m_header;
    std::vector<std::vector<std::string>> m_rows;
};
