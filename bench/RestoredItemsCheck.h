#pragma once

#include <cstddef>
#include <string>

// Reads what a run left in its database, past the code that wrote it, so that only runs that did
// the whole job are counted.
class CRestoredItemsCheck
{
public:
    static const char* RestoreDbName() { return "FileExtentRestore.db"; }
    static const char* RecallDbName() { return "FileExtentRecall.db"; }

    // Throws unless the table holds exactly `files` rows, each SUCCESS with every extent set.
    static void ExpectRestored(const std::string& dbPath, const std::string& table, std::size_t files,
                               const std::string& who);
};
