#pragma once

#include <boost/optional.hpp>

#include <cstdint>
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
        m_columns.push_back({name, true, false});
    }
    template <class T>
    void Field(const char* name, const T&)
    {
        m_columns.push_back({name, false, IsFlag<T>::value});
    }

    // The format's "%s" filled with every column in order, then with the key columns.
    std::string ColumnList(const std::string& format) const;
    // "c1, c2, ..." in table order.
    std::string SelectList() const;
    // "INSERT OR IGNORE INTO t (c1, c2) VALUES(?, ?);"
    std::string InsertSql(const std::string& table) const;
    // "SELECT c1, c2 FROM t WHERE k1=? AND k2=?;"
    std::string SelectByKeySql(const std::string& table) const;
    // The same with only the first `keys` key columns: the rows of a key's leading part.
    std::string SelectByLeadingKeysSql(const std::string& table, int keys) const;
    // "DELETE FROM t WHERE k1=? AND k2=?;"
    std::string DeleteByKeySql(const std::string& table) const;
    // "UPDATE t SET f=?, g=? WHERE k1=? AND k2=?;" with the fields whose bit is set in mask
    // (bit n: the n-th field that is not a key).
    std::string UpdateByKeySql(const std::string& table, std::uint32_t mask) const;
    // One statement for a row that may or may not be stored: inserted with every column (an
    // absent field as NULL, an absent flag as 0), or, when the key is stored, updated in the
    // fields that hold a value (an absent field binds NULL and keeps the stored value).
    std::string UpsertSql(const std::string& table) const;

private:
    template <class T>
    struct IsFlag
    {
        static const bool value = false;
    };

    struct CColumn
    {
        std::string name;
        bool key;
        bool flag;
    };

    // The first `keys` key columns (every one when negative) as "k1=? AND k2=?".
    std::string KeyCondition(int keys = -1) const;

    std::vector<CColumn> m_columns;
};

template <>
struct CRecordColumnNames::IsFlag<boost::optional<bool>>
{
    static const bool value = true;
};
} // namespace FILEEXTENT_RESTORE
