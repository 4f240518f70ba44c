#pragma once

#include "platform/ZuSQLite/SQLite3Query.h"
#include "store/ExtentBitmapText.h"

#include <boost/optional.hpp>

#include <cstdint>
#include <string>
#include <type_traits>

namespace FILEEXTENT_RESTORE
{
// Column visitor that fills every member of a record from the query's current row, so each
// optional holds a value afterwards; NULL reads as empty text, 0, false or an empty bitmap.
class CRecordReader
{
public:
    explicit CRecordReader(const FX::CSQLite3Query& query) : m_query(query) {}

    template <class T>
    void Key(const char* name, T& value)
    {
        Read(name, value);
    }
    template <class T>
    void Field(const char* name, T& value)
    {
        Read(name, value);
    }

private:
    void Read(const char* name, std::string& value);
    void Read(const char* name, std::uint32_t& value);
    void Read(const char* name, boost::optional<std::string>& value);
    void Read(const char* name, boost::optional<std::uint32_t>& value);
    void Read(const char* name, boost::optional<bool>& value);
    void Read(const char* name, boost::optional<std::int64_t>& value);
    void Read(const char* name, boost::optional<std::int32_t>& value);
    void Read(const char* name, boost::optional<CExtentBitmap>& value);

    // Statuses (enums) from their number; other types from text through
    // FromColumnText(text, value), found by argument-dependent lookup, into a fresh value.
    template <class T>
    void Read(const char* name, boost::optional<T>& value)
    {
        if constexpr (std::is_enum<T>::value)
        {
            value = static_cast<T>(m_query.GetIntField(name, 0));
        }
        else
        {
            T fresh{};
            FromColumnText(m_query.GetStringField(name, ""), fresh);
            value = fresh;
        }
    }

    const FX::CSQLite3Query& m_query;
};
} // namespace FILEEXTENT_RESTORE
