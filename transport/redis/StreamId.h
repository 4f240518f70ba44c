#pragma once

#include <cstdint>
#include <string>

namespace FILEEXTENT_REDIS
{
// A stream entry id, "<milliseconds>-<sequence>", ordered as Redis orders them.
struct CStreamId
{
    std::uint64_t Milliseconds = 0;
    std::uint64_t Sequence = 0;

    // False for anything but two decimal numbers joined by '-'.
    static bool Parse(const std::string& text, CStreamId& id);
    std::string ToString() const;
    // The smallest id after this one.
    CStreamId Next() const;
    bool IsZero() const { return Milliseconds == 0 && Sequence == 0; }

    bool operator<(const CStreamId& other) const
    {
        return Milliseconds < other.Milliseconds || (Milliseconds == other.Milliseconds && Sequence < other.Sequence);
    }
};
} // namespace FILEEXTENT_REDIS
