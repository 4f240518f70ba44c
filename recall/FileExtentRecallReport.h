#pragma once

// Every type of the recall side: the recalled-item record, the stub metadata and statistics with
// their JSON encodings, the host's input records, and the report handed back to the host.
#include "recall/FileExtentRecallContainerItem.h"
#include "recall/FileExtentRecallExtentItem.h"
#include "recall/FileExtentRecallFileMetadata.h"
#include "recall/FileExtentRecallStatus.h"
#include "recall/FileRecallItem.h"
#include "recall/RecallRequestStats.h"
#include "recall/RecalledItem.h"
#include "restore/records/RestoreStatus.h"

#include <boost/dynamic_bitset.hpp>
#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <string>

namespace FILEEXTENTRECALLDB
{
// What the recall manager reports about one recalled file.
class CFileExtentRecallFileReport
{
public:
    std::string FilePath;
    std::string RestoredFilePath;
    CFileExtentRecallStatus Status;
    std::uint64_t NoOfExtents = 0;
    bool ContainerItemRestored = false;
    boost::dynamic_bitset<unsigned char> ExtentBitmap;
    CFileExtentRecallFileMetadata Metadata;

    // Every member from the record but ContainerItemRestored, which a report always leaves false.
    // Members the record holds no value for keep their defaults.
    void FillFrom(const CRecalledItem& item);
};

typedef boost::shared_ptr<CFileExtentRecallFileReport> CFileExtentRecallFileReportPtr;
} // namespace FILEEXTENTRECALLDB
