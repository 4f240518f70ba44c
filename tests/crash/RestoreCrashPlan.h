#pragma once

#include "crash/CrashPlan.h"

#include "platform/ZuUtils/ZuTypes.h"

#include <cstdint>

// An ordinary restore: a container report per file, then its extents in a random order. Some
// files keep one extent back on purpose and must end FAILED; the rest must end SUCCESS.
class RestoreCrashPlan : public CrashPlan
{
public:
    explicit RestoreCrashPlan(std::uint64_t seed);

    std::string DatabaseName() const override { return "FileExtentRestore.db"; }
    std::string TableName() const override { return "RestoredItems"; }
    std::string RowsSql() const override;
    CZuError Run(const std::string& directory, std::size_t mark, Hooks& hooks) const override;
    Row Settled(std::size_t file) const override;
    std::string CheckThroughFacade(const std::string& directory) const override;

private:
    struct File
    {
        std::string path;
        ULONG version;
        ULONGLONG extents;
        std::string restoredPath;
        int taskId;
        std::uint64_t attribute;
        bool complete;
        std::vector<ULONGLONG> extentOrder; // follows the container report
    };

    void AddRestoredFile(std::mt19937_64& random, std::size_t index);
    std::string AttributesText(const File& file) const;

    std::vector<File> m_files;
};
