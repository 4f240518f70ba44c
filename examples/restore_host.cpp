// A minimal restore host: one file of four extents, one of them never arrives.
// Usage: restore_host DIR   (DIR must exist; FileExtentRestore.db is created in it)
#include "platform/ZuUtils/FileLogWriter.h"
#include "restore/FileExtentRestoreHandler.h"

#include <boost/make_shared.hpp>

#include <cstdio>

using namespace FILEEXTENT_RESTORE;

static int Check(const CZuError& error, const char* what)
{
    if (!error.IsError())
        return 0;
    std::fprintf(stderr, "%s failed: %s\n", what, error.AsString().c_str());
    return 1;
}

static CZuError ReportFile(CFileExtentRestoreHandler& handler, const std::string& path, ULONGLONG extents,
                           ULONGLONG missing)
{
    CFileExtentContainerItemRestoreReportPtr container = boost::make_shared<CFileExtentContainerItemRestoreReport>();
    container->SetRestoredFilePath("/restore" + path);
    container->SetNoOfExtents(extents);
    container->SetTaskId(7);
    CZuError error = handler.OnContainerItem(path, 0, container);
    for (ULONGLONG extent = 0; !error.IsError() && extent < extents; ++extent)
    {
        if (extent == missing)
            continue;
        CFileExtentExtentItemRestoreReportPtr report = boost::make_shared<CFileExtentExtentItemRestoreReport>();
        report->SetExtentNumber(extent);
        report->SetRestoreStatus(SUCCESS);
        error = handler.OnExtentItem(path, 0, report);
    }
    return error;
}

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    g_ptrLogWriter.reset(new CFileLogWriter(0)); // library log lines to stderr

    CFileExtentRestoreHandler handler;
    // An ordinary restore: no callbacks, records go to the local table.
    if (Check(handler.Initialize(argv[1], false, nullptr, nullptr, 0), "Initialize"))
        return 1;
    int failed = Check(ReportFile(handler, "/data/complete.bin", 4, 4), "reporting complete.bin");
    failed |= Check(ReportFile(handler, "/data/partial.bin", 4, 2), "reporting partial.bin");
    // Flush before deciding: UpdateStatus reads the table, not the cache.
    failed |= Check(handler.Flush(), "Flush");
    failed |= Check(handler.UpdateStatus(), "UpdateStatus");
    failed |= Check(handler.GetAllRestoredItems([](const std::string& path, unsigned int version,
                                                   const CFileExtentContainerItemRestoreReport& report) {
                        std::printf("%s v%u %s error=%u extents=%zu/%llu\n", path.c_str(), version,
                                    RestoreStatusToString.at(report.GetRestoreStatus()), report.GetErrCode(),
                                    report.GetExtentBitmap().count(),
                                    static_cast<unsigned long long>(report.GetNoOfExtents()));
                        return CZuError::Success();
                    }),
                    "GetAllRestoredItems");
    handler.DeInitialize();
    g_ptrLogWriter.reset();
    return failed;
}
