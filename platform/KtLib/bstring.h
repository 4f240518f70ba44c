#pragma once

#include <string>

// The base library's byte string: one string of arbitrary bytes, kept as given.
class bstring
{
public:
    explicit bstring(std::string bytes);
    virtual ~bstring();

    bstring(const bstring&) = default;
    bstring(bstring&&) = default;
    bstring& operator=(const bstring&) = default;
    bstring& operator=(bstring&&) = default;

    const std::string& str() const { return m_bytes; }

private:
    std::string m_bytes;
};
