#pragma once

#include "platform/ZuSQLite/SQLite3Statement.h"
#include "store/ExtentBitmapText.h"

#include <boost/optional.hpp>

#include <cstdint>
#include <string>
#include <type_traits>

namespace FILEEXTENT_RESTORE
{
// Column visitor that binds a record to the '?' parameters of a statement in column order.
class CRecordBinder
{
public:
    enum Mode
    {
        AllColumns,        // every column; an absent field binds NULL, an absent flag 0 (an insert)
        AllColumnsAsIs,    // every column; an absent field, a flag too, binds NULL (an upsert)
        KeysOnly,          // the key columns (a WHERE clause)
        PresentFieldsOnly, // the fields that hold a value, keys left out (a SET list)
    };

    // keys: how many key columns to bind, from the first (every one when negative).
    CRecordBinder(FX::CSQLite3Statement& statement, Mode mode, int firstIndex = 1, int keys = -1)
        : m_statement(statement), m_mode(mode), m_next(firstIndex), m_keysLeft(keys)
    {
    }

    template <class T>
    void Key(const char*, const T& value)
    {
        if (m_mode == PresentFieldsOnly || m_keysLeft == 0)
            return;
        if (m_keysLeft > 0)
            --m_keysLeft;
        BindValue(value);
    }
    template <class T>
    void Field(const char*, const boost::optional<T>& value)
    {
        if (m_mode == KeysOnly || (m_mode == PresentFieldsOnly && !value))
            return;
        BindValue(value);
    }

    // The index the next parameter would take.
    int Next() const { return m_next; }

private:
    void BindValue(const std::string& value);
    void BindValue(std::uint32_t value);
    void BindValue(const boost::optional<std::string>& value);
    void BindValue(const boost::optional<std::uint32_t>& value);
    void BindValue(const boost::optional<bool>& value);
    void BindValue(const boost::optional<std::int64_t>& value);
    void BindValue(const boost::optional<std::int32_t>& value);
    void BindValue(const boost::optional<CExtentBitmap>& value);
    void BindText(const std::string& text);
    void BindNull();

    // Statuses (enums) as their low byte; other types as text through ToColumnText(value),
    // found by argument-dependent lookup in the type's namespace.
    template <class T>
    void BindValue(const boost::optional<T>& value)
    {
        if (!value)
            BindNull();
        else if constexpr (std::is_enum<T>::value)
            m_statement.Bind(m_next++, static_cast<int>(*value) & 0xFF);
        else
            BindText(ToColumnText(*value));
    }

    FX::CSQLite3Statement& m_statement;
    Mode m_mode;
    int m_next;
    int m_keysLeft;
};
} // namespace FILEEXTENT_RESTORE
