#pragma once

#include "platform/ZuSQLite/SQLite3Query.h"
#include "store/ExtentBitmapText.h"

#include <boost/optional.hpp>

#include <cstdint>
#include <string>
#include <type_traits>

namespace FILEEXTENT_RESTORE
{
// Column visitor that fills every member of a record from the query's current row, whose
// columns stand in the layout's order; each optional holds a value afterwards. NULL reads as
// empty text, 0, false or an empty bitmap.
class CRecordReader
{
public:
    explicit CRecordReader(const FX::CSQLite3Query& query) : m_query(query), m_next(0) {}

    template <class T>
    void Key(const char*, T& value)
    {
        Read(m_next++, value);
    }
    template <class T>
    void Field(const char*, T& value)
    {
        Read(m_next++, value);
    }

private:
    void Read(int index, std::string& value);
    void Read(int index, std::uint32_t& value);
    void Read(int index, boost::optional<std::string>& value);
    void Read(int index, boost::optional<std::uint32_t>& value);
    void Read(int index, boost::optional<bool>& value);
    void Read(int index, boost::optional<std::int64_t>& value);
    void Read(int index, boost::optional<std::int32_t>& value);
    void Read(int index, boost::optional<CExtentBitmap>& value);

    // Statuses (enums) from their number; other types from text through
    // FromColumnText(text, value), found by argument-dependent lookup, into a fresh value.
    template <class T>
    void Read(int index, boost::optional<T>& value)
    {
        if constexpr (std::is_enum<T>::value)
        {
            value = static_cast<T>(m_query.GetIntField(index, 0));
        }
        else
        {
            T fresh{};
            FromColumnText(m_query.GetStringField(index, ""), fresh);
            value = std::move(fresh);
        }
    }

    const FX::CSQLite3Query& m_query;
    int m_next;
};
} // namespace FILEEXTENT_RESTORE
