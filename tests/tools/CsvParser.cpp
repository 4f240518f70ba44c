#include "tools/CsvParser.h"

#include <stdexcept>

std::vector<std::vector<std::string>> ParseCsv(const std::string& text)
{
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    std::size_t i = 0;
    while (i < text.size())
    {
        if (text[i] == '"')
        {
            for (++i;; ++i)
            {
                if (i >= text.size())
                    throw std::runtime_error("unterminated quoted field");
                if (text[i] == '"')
                {
                    if (i + 1 < text.size() && text[i + 1] == '"')
                    {
                        field += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i];
            }
        }
        else
        {
            while (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n')
            {
                if (text[i] == '"')
                    throw std::runtime_error("quote inside an unquoted field");
                field += text[i++];
            }
        }
        if (i < text.size() && text[i] == ',')
        {
            record.push_back(std::move(field));
            field.clear();
            ++i;
            continue;
        }
        if (text.compare(i, 2, "\r\n") != 0)
            throw std::runtime_error("record not ended by CRLF at offset " + std::to_string(i));
        record.push_back(std::move(field));
        field.clear();
        records.push_back(std::move(record));
        record.clear();
        i += 2;
    }
    return records;
}
