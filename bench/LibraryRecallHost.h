#pragma once

#include "recall/FileExtentRecallDBManager.h"
#include "recall/FileExtentRecallFileMetadata.h"
#include "restore/records/RestoreStatus.h"

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

    // What the events carry: a file's stub metadata (statistics still clear), the statistics of
    // every extent event, and an extent's status.
    static FILEEXTENTRECALLDB::CFileExtentRecallFileMetadata Metadata(const CRestoreWorkload& workload,
                                                                      std::size_t file);
    static FILEEXTENTRECALLDB::CRecallRequestStats ExtentStats();
    static FILEEXTENTRECALLDB::RecallStatus ExtentStatus(const CRestoreWorkload& workload, std::size_t extent);

private:
    CFileExtentRecallDBManager m_manager;
    FILEEXTENTRECALLDB::CFileExtentRecallExtentItemPtr m_extent;
};
