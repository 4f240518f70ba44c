#pragma once

#include "recall/FileExtentRecallDBManager.h"

#include <cstddef>
#include <string>

class CRestoreWorkload;

// A host that records recalls through the library: a file-recall item per file with its stub
// metadata, then one extent item per extent, PROGRESSING until the last, which is SUCCESS.
class CLibraryRecallHost
{
public:
    void Initialize(const std::string& dbDirectory);
    void OnFile(const CRestoreWorkload& workload, std::size_t file);
    void OnExtent(const CRestoreWorkload& workload, std::size_t file, std::size_t extent);
    // Flush, then DeInitialize: DeInitialize alone drops what is not flushed.
    void Finish();

private:
    CFileExtentRecallDBManager m_manager;
    FILEEXTENTRECALLDB::CFileExtentRecallExtentItemPtr m_extent;
};
