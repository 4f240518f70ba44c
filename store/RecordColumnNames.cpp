#include "store/RecordColumnNames.h"

namespace FILEEXTENT_RESTORE
{
namespace
{
std::string Join(const std::vector<std::string>& parts, const std::string& suffix, const std::string& separator)
{
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i)
        text += (i ? separator : std::string()) + parts[i] + suffix;
    return text;
}
} // namespace

std::string CRecordColumnNames::ColumnList(const std::string& format) const
{
    std::vector<std::string> names(m_columns);
    names.insert(names.end(), m_keys.begin(), m_keys.end());
    std::string text;
    size_t next = 0;
    size_t start = 0;
    for (size_t found = format.find("%s"); found != std::string::npos; found = format.find("%s", start))
    {
        text += format.substr(start, found - start) + (next < names.size() ? names[next++] : std::string());
        start = found + 2;
    }
    return text + format.substr(start);
}

std::string CRecordColumnNames::InsertSql(const std::string& table) const
{
    std::vector<std::string> marks(m_columns.size(), "?");
    return "INSERT OR IGNORE INTO " + table + " (" + Join(m_columns, "", ", ") + ") VALUES(" + Join(marks, "", ", ") +
           ");";
}

std::string CRecordColumnNames::SelectByKeySql(const std::string& table) const
{
    return "SELECT " + Join(m_columns, "", ", ") + " FROM " + table + " WHERE " + Join(m_keys, "=?", " AND ") + ";";
}
} // namespace FILEEXTENT_RESTORE
