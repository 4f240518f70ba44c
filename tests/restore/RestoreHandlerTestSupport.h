#pragma once

#include "platform/KtXMLMessagesBase/KtXMLMessagesBase.h"
#include "restore/FileExtentRestoreHandler.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

using namespace FILEEXTENT_RESTORE;

// Bits as text, highest first.
inline std::string Bits(const boost::dynamic_bitset<unsigned char>& bitmap)
{
    std::string text;
    boost::to_string(bitmap, text);
    return text;
}

inline CFileExtentContainerItemRestoreReportPtr ContainerReport(ULONGLONG extents, const std::string& restoredPath,
                                                                int taskId = 1,
                                                                RestoreStatus status = PROGRESSING,
                                                                unsigned int errCode = 0)
{
    CFileExtentContainerItemRestoreReportPtr report(new CFileExtentContainerItemRestoreReport());
    report->SetNoOfExtents(extents);
    report->SetRestoredFilePath(restoredPath);
    report->SetTaskId(taskId);
    report->SetRestoreStatus(status);
    report->SetErrCode(errCode);
    return report;
}

inline CFileExtentExtentItemRestoreReportPtr ExtentReport(ULONGLONG number, RestoreStatus status = SUCCESS,
                                                          unsigned int errCode = 0)
{
    CFileExtentExtentItemRestoreReportPtr report(new CFileExtentExtentItemRestoreReport());
    report->SetExtentNumber(number);
    report->SetRestoreStatus(status);
    report->SetErrCode(errCode);
    return report;
}

// Stands in for the remote collector: counts what the two callbacks receive.
class RecordingCollector
{
public:
    FN_SendXDRMsgToFIR XdrCallback()
    {
        return [this](unsigned long messageNumber, ktsDatabuf*) {
            std::lock_guard<std::mutex> guard(mutex);
            xdrMessageNumbers.push_back(messageNumber);
            return accept.load() ? 1 : 0;
        };
    }
    FN_SendXMLMsgToFIR XmlCallback()
    {
        return [this](CNMessageBase& message) {
            std::lock_guard<std::mutex> guard(mutex);
            listSizes.push_back(message.GetFields().empty() ? 0 : message.GetFields()[0].list.size());
            return accept.load() ? 1 : 0;
        };
    }

    std::mutex mutex;
    std::vector<unsigned long> xdrMessageNumbers;
    std::vector<size_t> listSizes;
    std::atomic<bool> accept{true};
};

class RestoreHandlerFixture : public ::testing::Test
{
protected:
    void InitializeOrdinary() { ASSERT_FALSE(handler.Initialize(dir.Path(), false, nullptr, nullptr, 0).IsError()); }
    void InitializeDistributed(unsigned int block)
    {
        ASSERT_FALSE(
            handler.Initialize(dir.Path(), true, collector.XdrCallback(), collector.XmlCallback(), block).IsError());
    }
    std::string DBPath() const { return dir.File("FileExtentRestore.db"); }
    // One row of the table as text, columns in table order.
    std::vector<std::string> Row(const std::string& path, ULONG version = 0)
    {
        SqliteFile file(DBPath());
        auto rows = file.Rows("SELECT * FROM RestoredItems WHERE FilePath='" + path +
                              "' AND RestoredItemVersion=" + std::to_string(version));
        return rows.empty() ? std::vector<std::string>() : rows[0];
    }
    std::string Column(const std::string& column, const std::string& path, ULONG version = 0)
    {
        SqliteFile file(DBPath());
        return file.Scalar("SELECT " + column + " FROM RestoredItems WHERE FilePath='" + path +
                           "' AND RestoredItemVersion=" + std::to_string(version));
    }
    void ReportAllExtents(const std::string& path, ULONGLONG extents, ULONG version = 0)
    {
        for (ULONGLONG extent = 0; extent < extents; ++extent)
            ASSERT_FALSE(handler.OnExtentItem(path, version, ExtentReport(extent)).IsError());
    }

    TempDir dir;
    RecordingCollector collector;
    CFileExtentRestoreHandler handler;
};
