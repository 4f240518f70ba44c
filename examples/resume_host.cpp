// A host that resumes an interrupted restore. The first run restores three files of eight
// extents and is "interrupted" after a flush halfway through; the second run reopens the same
// directory and sends only what the library says is missing.
// Usage: resume_host DIR   (DIR must exist; FileExtentRestore.db is created in it)
#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/FileLogWriter.h"
#include "restore/FileExtentRestoreHandler.h"

#include <boost/make_shared.hpp>

#include <cstdio>
#include <string>
#include <vector>

using namespace FILEEXTENT_RESTORE;

namespace
{
const ULONGLONG kExtents = 8;
const std::vector<std::string> kFiles = {"/data/a.bin", "/data/b.bin", "/data/c.bin"};

int Check(const CZuError& error, const char* what)
{
    if (!error.IsError())
        return 0;
    std::fprintf(stderr, "%s failed: %s\n", what, error.AsString().c_str());
    return 1;
}

CZuError SendExtent(CFileExtentRestoreHandler& handler, const std::string& path, ULONGLONG extent)
{
    CFileExtentExtentItemRestoreReportPtr report = boost::make_shared<CFileExtentExtentItemRestoreReport>();
    report->SetExtentNumber(extent);
    report->SetRestoreStatus(SUCCESS);
    return handler.OnExtentItem(path, 0, report);
}

CZuError SendNewFile(CFileExtentRestoreHandler& handler, const std::string& path, ULONGLONG firstExtents)
{
    CFileExtentContainerItemRestoreReportPtr container = boost::make_shared<CFileExtentContainerItemRestoreReport>();
    container->SetRestoredFilePath("/restore" + path);
    container->SetNoOfExtents(kExtents);
    CZuError error = handler.OnContainerItem(path, 0, container);
    for (ULONGLONG extent = 0; !error.IsError() && extent < firstExtents; ++extent)
        error = SendExtent(handler, path, extent);
    return error;
}

// The first run: a.bin whole, b.bin half, then a flush; c.bin's report and b.bin's next extent
// are lost with the process.
int Interrupted(const std::string& dir)
{
    CFileExtentRestoreHandler handler;
    if (Check(handler.Initialize(dir, false, nullptr, nullptr, 0), "Initialize"))
        return 1;
    int failed = Check(SendNewFile(handler, kFiles[0], kExtents), "a.bin");
    failed |= Check(SendNewFile(handler, kFiles[1], kExtents / 2), "b.bin");
    failed |= Check(handler.Flush(), "Flush");
    failed |= Check(SendExtent(handler, kFiles[1], kExtents / 2), "b.bin, not flushed");
    // No DeInitialize: as if the agent had crashed here.
    return failed;
}

// The second run: known files get only their missing extents, new files everything.
int Resumed(const std::string& dir)
{
    CFileExtentRestoreHandler handler;
    if (Check(handler.Initialize(dir, false, nullptr, nullptr, 0), "Initialize"))
        return 1;
    int failed = 0;
    ULONGLONG sent = 0;
    for (const std::string& path : kFiles)
    {
        CFileExtentContainerItemRestoreReportPtr known = boost::make_shared<CFileExtentContainerItemRestoreReport>();
        if (handler.GetContainerItemData(path, 0, known).IsError())
        {
            failed |= Check(SendNewFile(handler, path, kExtents), path.c_str());
            sent += kExtents;
            continue;
        }
        // A known file keeps its bits: no OnContainerItem, which would clear them.
        failed |= Check(handler.GetMissingExtents(path, 0,
                                                  [&](ULONGLONG first, ULONGLONG count) {
                                                      std::printf("%s: extents %llu-%llu missing\n", path.c_str(),
                                                                  first, first + count - 1);
                                                      for (ULONGLONG extent = first; extent < first + count; ++extent)
                                                          if (CZuError error = SendExtent(handler, path, extent);
                                                              error.IsError())
                                                              return error;
                                                      sent += count;
                                                      return CZuError::Success();
                                                  }),
                        path.c_str());
    }
    failed |= Check(handler.Flush(), "Flush");
    failed |= Check(handler.UpdateStatus(), "UpdateStatus");
    failed |= Check(handler.GetAllRestoredItems([](const std::string& path, unsigned int,
                                                   const CFileExtentContainerItemRestoreReport& report) {
                        std::printf("%s %s extents=%zu/%llu\n", path.c_str(),
                                    RestoreStatusToString.at(report.GetRestoreStatus()),
                                    report.GetExtentBitmap().count(),
                                    static_cast<unsigned long long>(report.GetNoOfExtents()));
                        return report.GetRestoreStatus() == SUCCESS
                                   ? CZuError::Success()
                                   : FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_GEN_FAILURE, "not restored");
                    }),
                    "every file restored");
    std::printf("extents sent on resume: %llu of %llu (the others had landed)\n", sent,
                static_cast<unsigned long long>(kExtents * kFiles.size()));
    failed |= Check(handler.DeInitialize(), "DeInitialize");
    return failed;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    g_ptrLogWriter.reset(new CFileLogWriter(0)); // library log lines to stderr
    int failed = Interrupted(argv[1]);
    failed |= Resumed(argv[1]);
    g_ptrLogWriter.reset();
    return failed;
}
