#include "store/RecordColumnNames.h"

namespace FILEEXTENT_RESTORE
{
namespace
{
std::string Join(const std::vector<std::string>& parts, const std::string& separator)
{
    std::string text;
    for (size_t i = 0; i < parts.size(); ++i)
        text += (i ? separator : std::string()) + parts[i];
    return text;
}
} // namespace

std::string CRecordColumnNames::ColumnList(const std::string& format) const
{
    std::vector<std::string> names;
    for (const CColumn& column : m_columns)
        names.push_back(column.name);
    for (const CColumn& column : m_columns)
        if (column.key)
            names.push_back(column.name);
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

std::string CRecordColumnNames::SelectList() const
{
    std::vector<std::string> names;
    for (const CColumn& column : m_columns)
        names.push_back(column.name);
    return Join(names, ", ");
}

std::string CRecordColumnNames::KeyCondition(int count) const
{
    std::vector<std::string> keys;
    for (const CColumn& column : m_columns)
        if (column.key && (count < 0 || static_cast<int>(keys.size()) < count))
            keys.push_back(column.name + "=?");
    return Join(keys, " AND ");
}

std::string CRecordColumnNames::InsertSql(const std::string& table) const
{
    std::vector<std::string> marks(m_columns.size(), "?");
    return "INSERT OR IGNORE INTO " + table + " (" + SelectList() + ") VALUES(" + Join(marks, ", ") + ");";
}

std::string CRecordColumnNames::SelectByLeadingKeysSql(const std::string& table, int keys) const
{
    return "SELECT " + SelectList() + " FROM " + table + " WHERE " + KeyCondition(keys) + ";";
}

std::string CRecordColumnNames::SelectByKeySql(const std::string& table) const
{
    return "SELECT " + SelectList() + " FROM " + table + " WHERE " + KeyCondition() + ";";
}

std::string CRecordColumnNames::DeleteByKeySql(const std::string& table) const
{
    return "DELETE FROM " + table + " WHERE " + KeyCondition() + ";";
}

std::string CRecordColumnNames::UpdateByKeySql(const std::string& table, std::uint32_t mask) const
{
    std::vector<std::string> assignments;
    std::uint32_t field = 0;
    for (const CColumn& column : m_columns)
        if (!column.key && (mask >> field++ & 1u))
            assignments.push_back(column.name + "=?");
    return "UPDATE " + table + " SET " + Join(assignments, ", ") + " WHERE " + KeyCondition() + ";";
}

std::string CRecordColumnNames::UpsertSql(const std::string& table) const
{
    std::vector<std::string> values;
    std::vector<std::string> keys;
    std::vector<std::string> updates;
    for (size_t i = 0; i < m_columns.size(); ++i)
    {
        const CColumn& column = m_columns[i];
        const std::string parameter = "?" + std::to_string(i + 1);
        values.push_back(column.flag ? "coalesce(" + parameter + ", 0)" : parameter);
        if (column.key)
            keys.push_back(column.name);
        else
            updates.push_back(column.name + "=coalesce(" + parameter + ", " + column.name + ")");
    }
    return "INSERT INTO " + table + " (" + SelectList() + ") VALUES(" + Join(values, ", ") + ") ON CONFLICT(" +
           Join(keys, ", ") + ") DO UPDATE SET " + Join(updates, ", ") + ";";
}
} // namespace FILEEXTENT_RESTORE
