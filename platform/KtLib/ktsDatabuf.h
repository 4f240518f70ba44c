#pragma once

#include <cstdint>

// Descriptor of one XDR message buffer as the host's transport takes it: four 64-bit words.
// The system fills it as (0, size of the record, 0, address of the record).
struct ktsDatabuf
{
    std::uint64_t reserved1 = 0;
    std::uint64_t size = 0;
    std::uint64_t reserved2 = 0;
    std::uint64_t address = 0;
};

static_assert(sizeof(ktsDatabuf) == 32, "ktsDatabuf is four 64-bit words on the wire");
