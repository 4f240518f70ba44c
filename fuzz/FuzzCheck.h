#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// What every fuzz target needs: the input as the bytes a decoder reads, and a check that aborts,
// so that libFuzzer keeps the input that broke a round trip as a crash.
namespace FuzzCheck
{
inline std::string Bytes(const std::uint8_t* data, std::size_t size)
{
    return std::string(reinterpret_cast<const char*>(data), size);
}

inline void Require(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}
} // namespace FuzzCheck
