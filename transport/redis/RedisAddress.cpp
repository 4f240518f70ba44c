#include "transport/redis/RedisAddress.h"

#include "foundation/ErrorPropagation.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "transport/redis/Decimal.h"

#include <arpa/inet.h>

#include <new>
#include <utility>

namespace FILEEXTENT_REDIS
{
namespace
{
const std::uint64_t MaxPort = 65535;

bool IsIPv6Literal(const std::string& text)
{
    in6_addr ignored;
    return inet_pton(AF_INET6, text.c_str(), &ignored) == 1;
}

bool HasSpaceOrControl(const std::string& text)
{
    for (unsigned char c : text)
    {
        if (c <= ' ' || c == 0x7F)
            return true;
    }
    return false;
}
} // namespace

CZuError CRedisAddress::Parse(const std::string& text, CRedisAddress& address)
{
    try
    {
        const std::size_t colon = text.rfind(':');
        if (colon == std::string::npos)
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                           "Redis address [%s] is not HOST:PORT", text.c_str());
        CRedisAddress parsed;
        FX_RETURN_IF_ERROR(ParseHost(text.substr(0, colon), parsed.m_host));
        FX_RETURN_IF_ERROR(ParsePort(text, text.substr(colon + 1), parsed.m_port));
        address = std::move(parsed);
        return CZuError::Success();
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
}

std::string CRedisAddress::ToString() const
{
    const bool bracketed = m_host.find(':') != std::string::npos;
    return (bracketed ? "[" + m_host + "]" : m_host) + ":" + std::to_string(m_port);
}

// A bare host holds no colon (that would be an unbracketed IPv6 literal, whose port is ambiguous);
// brackets hold an IPv6 literal and nothing else.
CZuError CRedisAddress::ParseHost(const std::string& text, std::string& host)
{
    if (text.empty())
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER, "Redis address has an empty host");
    if (HasSpaceOrControl(text))
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                       "Redis host [%s] holds a space or control character", text.c_str());
    if (text.front() == '[')
    {
        const std::string inner = text.size() >= 2 && text.back() == ']' ? text.substr(1, text.size() - 2) : "";
        if (!IsIPv6Literal(inner))
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                           "Redis host [%s] is not a bracketed IPv6 address", text.c_str());
        host = inner;
        return CZuError::Success();
    }
    if (text.find_first_of(":[]") != std::string::npos)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                       "Redis host [%s]: an IPv6 address goes in brackets, as [::1]:6379",
                                       text.c_str());
    host = text;
    return CZuError::Success();
}

CZuError CRedisAddress::ParsePort(const std::string& text, const std::string& port, int& value)
{
    std::uint64_t number = 0;
    if (!CDecimal::Parse(port, MaxPort, number) || number == 0)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                       "Redis address [%s]: the port must be 1 to 65535", text.c_str());
    value = static_cast<int>(number);
    return CZuError::Success();
}
} // namespace FILEEXTENT_REDIS
