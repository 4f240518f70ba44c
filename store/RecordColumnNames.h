#pragma once

#include <string>
#include <vector>

namespace FILEEXTENT_RESTORE
{
// Column visitor that collects the names of a record layout and makes its SQL texts.
class CRecordColumnNames
{
public:
    template <class T>
    void Key(const char* name, const T&)
    {
        m_columns.push_back(name);
        m_keys.push_back(name);
    }
    template <class T>
    void Field(const char* name, const T&)
    {
        m_columns.push_back(name);
    }

    // The format's "%s" filled with every column in order, then with the key columns.
    std::string ColumnList(const std::string& format) const;
    // "INSERT OR IGNORE INTO t (c1, c2) VALUES(?, ?);"
    std::string InsertSql(const std::string& table) const;
    // "SELECT c1, c2 FROM t WHERE k1=? AND k2=?;"
    std::string SelectByKeySql(const std::string& table) const;

private:
    std::vector<std::string> m_columns;
    std::vector<std::string> m_keys;
};
} // namespace FILEEXTENT_RESTORE
