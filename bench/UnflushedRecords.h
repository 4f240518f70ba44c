#pragma once

#include <cstddef>
#include <string>

// How many records a flush of a finished restore will write, read from its table by a second
// connection: the files without a row, and the rows written before their last extent arrived.
// Holds for restores that report each extent once.
class CUnflushedRecords
{
public:
    static std::size_t Count(const std::string& dbPath, std::size_t files);
};
