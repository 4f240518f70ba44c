// A minimal recall host: one recalled file of three extents, then its report.
// Usage: recall_host DIR   (DIR must exist; FileExtentRecall.db is created in it)
#include "platform/ZuUtils/FileLogWriter.h"
#include "recall/FileExtentRecallDBManager.h"

#include <boost/make_shared.hpp>

#include <cstdio>

using namespace FILEEXTENTRECALLDB;

static int Check(const CZuError& error, const char* what)
{
    if (!error.IsError())
        return 0;
    std::fprintf(stderr, "%s failed: %s\n", what, error.AsString().c_str());
    return 1;
}

static CZuError Recall(CFileExtentRecallDBManager& manager, const std::string& path)
{
    CFileRecallItemPtr item = boost::make_shared<CFileRecallItem>();
    item->RestoredFilePath = "/restore" + path;
    item->NoOfExtents = 3;
    item->Metadata.FileSize = 3 << 20;
    item->Metadata.StubData = "stub-of-" + path;
    CZuError error = manager.OnFileRecallItem(path, item);
    for (ULONGLONG extent = 0; !error.IsError() && extent < 3; ++extent)
    {
        CFileExtentRecallExtentItemPtr report = boost::make_shared<CFileExtentRecallExtentItem>();
        report->ExtentNumber = extent;
        report->Status = extent == 2 ? SUCCESS : PROGRESSING; // a final status writes the record at once
        report->Stats.RecallDuration = CTimeInterval::From100NS(10000 * (extent + 1));
        error = manager.OnExtentItem(path, report);
    }
    if (!error.IsError())
        error = manager.UpdateAttributes(path, 0x20); // kept in the cache until Flush
    return error;
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    g_ptrLogWriter.reset(new CFileLogWriter(0));

    CFileExtentRecallDBManager manager;
    if (Check(manager.Initialize(argv[1]), "Initialize"))
        return 1;
    const std::string path = "/data/recalled.bin";
    int failed = Check(Recall(manager, path), "recall");
    // DeInitialize does not flush: whatever is still cached would be lost.
    failed |= Check(manager.Flush(), "Flush");
    CFileExtentRecallFileReportPtr report;
    std::string stub;
    failed |= Check(manager.GetRecalledFileReport(path, report), "GetRecalledFileReport");
    failed |= Check(manager.GetRecalledFileMetaData(path, stub), "GetRecalledFileMetaData");
    if (report)
        std::printf("%s %s extents=%zu/%llu attributes=0x%x stub=%s duration=%lld\n", report->FilePath.c_str(),
                    RecallStatusToString.at(report->Status.Status), report->ExtentBitmap.count(),
                    static_cast<unsigned long long>(report->NoOfExtents), report->Metadata.Attributes, stub.c_str(),
                    static_cast<long long>(report->Metadata.Stats.RecallDuration.As100NSIntervals()));
    manager.DeInitialize();
    g_ptrLogWriter.reset();
    return failed;
}
