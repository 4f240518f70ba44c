#pragma once

#include <cstdint>

// Windows-style integer names used in the maker's signatures.
typedef std::uint32_t ULONG;
typedef std::uint64_t ULONGLONG;
typedef std::int32_t INT;
