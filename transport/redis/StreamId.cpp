#include "transport/redis/StreamId.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace FILEEXTENT_REDIS
{
namespace
{
bool ParsePart(const std::string& text, std::uint64_t& value)
{
    if (text.empty() || text.size() > 20 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    const unsigned long long parsed = std::strtoull(text.c_str(), nullptr, 10);
    if (errno == ERANGE)
        return false;
    value = parsed;
    return true;
}
} // namespace

bool CStreamId::Parse(const std::string& text, CStreamId& id)
{
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos)
        return false;
    CStreamId parsed;
    if (!ParsePart(text.substr(0, dash), parsed.Milliseconds) || !ParsePart(text.substr(dash + 1), parsed.Sequence))
        return false;
    id = parsed;
    return true;
}

std::string CStreamId::ToString() const
{
    return std::to_string(Milliseconds) + "-" + std::to_string(Sequence);
}

CStreamId CStreamId::Next() const
{
    CStreamId next = *this;
    if (next.Sequence == std::numeric_limits<std::uint64_t>::max())
    {
        ++next.Milliseconds;
        next.Sequence = 0;
    }
    else
    {
        ++next.Sequence;
    }
    return next;
}
} // namespace FILEEXTENT_REDIS
