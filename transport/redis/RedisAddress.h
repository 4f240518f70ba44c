#pragma once

#include "platform/ZuUtils/ZuError.h"

#include <string>

namespace FILEEXTENT_REDIS
{
// Where a Redis server listens: "HOST:PORT", or "[IPV6]:PORT" for an IPv6 literal.
class CRedisAddress
{
public:
    // ERROR_INVALID_PARAMETER, saying what is wrong, for anything but a non-empty host and a port
    // of 1 to 65535 written in decimal digits.
    static CZuError Parse(const std::string& text, CRedisAddress& address);

    const std::string& Host() const { return m_host; }
    int Port() const { return m_port; }
    // As Parse takes it, for messages.
    std::string ToString() const;

private:
    static CZuError ParseHost(const std::string& text, std::string& host);
    static CZuError ParsePort(const std::string& text, const std::string& port, int& value);

    std::string m_host;
    int m_port = 0;
};
} // namespace FILEEXTENT_REDIS
