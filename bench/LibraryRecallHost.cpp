#include "LibraryRecallHost.h"

#include "LibraryCheck.h"
#include "RestoreWorkload.h"
#include "recall/FileExtentRecallExtentItem.h"
#include "recall/FileRecallItem.h"

#include <boost/make_shared.hpp>

using namespace FILEEXTENTRECALLDB;

CFileExtentRecallFileMetadata CLibraryRecallHost::Metadata(const CRestoreWorkload& workload, std::size_t file)
{
    CFileExtentRecallFileMetadata metadata;
    metadata.SCId = static_cast<std::uint32_t>(workload.TaskId(file));
    metadata.FileSize = workload.FileSize();
    metadata.FileExtentSize = 65536;
    metadata.StubType = 1;
    metadata.StubCacheFilePath = "/stubcache" + workload.Path(file);
    metadata.StubData = "stub:00000000c0ffee00";
    metadata.CreationTime = 133000000000000000ULL;
    metadata.LastWriteTime = 133000000010000000ULL;
    metadata.OriginInfo = "benchmark recall";
    return metadata;
}

CRecallRequestStats CLibraryRecallHost::ExtentStats()
{
    CRecallRequestStats stats;
    stats.LookupTimeTaken = CTimeInterval::From100NS(42000);
    stats.InPipeline = CTimeInterval::From100NS(10000);
    stats.RecallStartTime = CTimeStamp::FromUnixTime(1700000000);
    stats.RecallDuration = CTimeInterval::From100NS(250000);
    return stats;
}

RecallStatus CLibraryRecallHost::ExtentStatus(const CRestoreWorkload& workload, std::size_t extent)
{
    return extent + 1 == workload.Extents() ? SUCCESS : PROGRESSING;
}

void CLibraryRecallHost::Initialize(const std::string& dbDirectory)
{
    CheckLibrary(m_manager.Initialize(dbDirectory), "recall Initialize");
}

void CLibraryRecallHost::OnFile(const CRestoreWorkload& workload, std::size_t file)
{
    CFileRecallItemPtr item = boost::make_shared<CFileRecallItem>();
    item->RestoredFilePath = workload.RestoredPath(file);
    item->NoOfExtents = workload.Extents();
    item->Metadata = Metadata(workload, file);
    CheckLibrary(m_manager.OnFileRecallItem(workload.Path(file), item), "OnFileRecallItem");
    m_extent = boost::make_shared<CFileExtentRecallExtentItem>();
    m_extent->Stats = ExtentStats();
}

void CLibraryRecallHost::OnExtent(const CRestoreWorkload& workload, std::size_t file, std::size_t extent)
{
    m_extent->ExtentNumber = extent;
    m_extent->Status = ExtentStatus(workload, extent);
    CheckLibrary(m_manager.OnExtentItem(workload.Path(file), m_extent), "recall OnExtentItem");
}

void CLibraryRecallHost::Finish()
{
    CheckLibrary(m_manager.Flush(), "recall Flush");
    CheckLibrary(m_manager.DeInitialize(), "recall DeInitialize");
}
