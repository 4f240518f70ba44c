#pragma once

#include <boost/optional.hpp>

#include <cstdint>

namespace FILEEXTENT_RESTORE
{
// Column visitor that says which fields of a record hold a value: bit n for the n-th field
// that is not a key, in layout order.
class CRecordFieldMask
{
public:
    template <class T>
    void Key(const char*, const T&)
    {
    }
    template <class T>
    void Field(const char*, const boost::optional<T>& value)
    {
        if (value)
            m_mask |= std::uint32_t(1) << m_next;
        ++m_next;
    }

    std::uint32_t Mask() const { return m_mask; }

private:
    std::uint32_t m_mask = 0;
    unsigned int m_next = 0;
};
} // namespace FILEEXTENT_RESTORE
