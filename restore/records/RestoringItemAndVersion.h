#pragma once

#include <cstdint>
#include <string>
#include <utility>

// Key of a restored-item record; its order is the comparator the restore facade installs.
struct CRestoringItemAndVersion
{
    std::string FilePath;
    std::uint32_t Version = 0;

    CRestoringItemAndVersion() = default;
    CRestoringItemAndVersion(std::string filePath, std::uint32_t version)
        : FilePath(std::move(filePath)), Version(version)
    {
    }
    CRestoringItemAndVersion(const CRestoringItemAndVersion&) = default;
    CRestoringItemAndVersion(CRestoringItemAndVersion&&) = default;
    CRestoringItemAndVersion& operator=(const CRestoringItemAndVersion&) = default;
    CRestoringItemAndVersion& operator=(CRestoringItemAndVersion&&) = default;
};

// How an error names the record of a key.
inline std::string DescribeKey(const CRestoringItemAndVersion& key)
{
    return key.Version == 0 ? key.FilePath : key.FilePath + "] version [" + std::to_string(key.Version);
}
