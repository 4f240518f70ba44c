#pragma once

#include "network/FileExtentNWCallbacks.h"
#include "platform/ZuUtils/ZuError.h"
#include "platform/ZuUtils/ZuTypes.h"
#include "restore/FileExtentRestoreOptions.h"
#include "restore/records/FileExtentRestoredFileAttributesAndStatus.h"

#include <functional>
#include <memory>
#include <string>

namespace FILEEXTENT_RESTORE
{
class CFileExtentRestoreHandlerPrivate;

// The host's view of one restore: Initialize, report container items and extents, Flush,
// UpdateStatus, enumerate the outcome, DeInitialize. Reports of one item must not be handled
// on two threads at once; different items may be reported from different threads.
class CFileExtentRestoreHandler
{
public:
    CFileExtentRestoreHandler();
    virtual ~CFileExtentRestoreHandler();

    CFileExtentRestoreHandler(const CFileExtentRestoreHandler&) = delete;
    CFileExtentRestoreHandler& operator=(const CFileExtentRestoreHandler&) = delete;

    // With the default options.
    virtual CZuError Initialize(const std::string& dbDirectory, bool isDistributedRestore,
                                FN_SendXDRMsgToFIR fnSendXDRMsgToFIR, FN_SendXMLMsgToFIR fnSendXMLMsgToFIR,
                                unsigned int maxItemsToPersistInBlock);
    virtual CZuError DeInitialize();
    virtual CZuError OnContainerItem(const std::string& path, ULONG version,
                                     CFileExtentContainerItemRestoreReportPtr report);
    virtual CZuError OnExtentItem(const std::string& path, ULONG version, CFileExtentExtentItemRestoreReportPtr report);
    virtual CZuError GetContainerItemData(const std::string& path, ULONG version,
                                          CFileExtentContainerItemRestoreReportPtr& report);
    virtual CZuError IsContainerItemSkipped(const std::string& path, ULONG version, bool& skipped, int& errorCode);
    virtual CZuError GetRestoredItem(const std::string& path, ULONG version, CRestoredItem& item);
    virtual CZuError GetContainerItemStatus(const std::string& path, ULONG version, RestoreStatus& status);
    virtual CZuError Remove(const std::string& path, ULONG version);
    virtual CZuError Flush();
    virtual CZuError GetAllRestoredItems(
        const std::function<CZuError(const std::string&, unsigned int, const CFileExtentContainerItemRestoreReport&)>&
            callback);
    virtual CZuError GetAllRestoredItemsByTaskId(
        INT taskId, const std::function<CZuError(const std::string&, const CFileExtentContainerItemRestoreReport&)>&
                        callback);
    virtual CZuError UpdateStatus();
    virtual CZuError ResetContainerItemEntry(const std::string& path, ULONG version);
    virtual CZuError OnContainerItem(const std::string& path, CFileExtentContainerItemRestoreReportPtr report);
    virtual CZuError OnExtentItem(const std::string& path, CFileExtentExtentItemRestoreReportPtr report);
    virtual CZuError GetContainerItemData(const std::string& path, CFileExtentContainerItemRestoreReportPtr& report);
    virtual CZuError IsContainerItemSkipped(const std::string& path, bool& skipped, int& errorCode);
    virtual CZuError Remove(const std::string& path);
    // Calls back once per run of consecutive extents not yet reported, in ascending order, from
    // the record's current state (the caches first, flushed or not; the table otherwise). A file
    // with every extent reported gets no call. Unknown item: ERROR_NOT_FOUND.
    virtual CZuError GetMissingExtents(const std::string& path, ULONG version,
                                       const std::function<CZuError(ULONGLONG first, ULONGLONG count)>& callback);
    virtual CZuError GetMissingExtents(const std::string& path,
                                       const std::function<CZuError(ULONGLONG first, ULONGLONG count)>& callback);
    // Initialize with options of the host's choosing (last in the virtual table, after the
    // operations the five-argument form has always had).
    virtual CZuError Initialize(const std::string& dbDirectory, bool isDistributedRestore,
                                FN_SendXDRMsgToFIR fnSendXDRMsgToFIR, FN_SendXMLMsgToFIR fnSendXMLMsgToFIR,
                                ULONG maxItemsToPersistInBlock, const CFileExtentRestoreOptions& options);

    CZuError GetAllRestoredItemsCount(ULONGLONG& count);
    // Empty when the handler is not initialised.
    std::string GetContainerItemDBPath();

protected:
    // The two building steps of Initialize.
    CZuError CreateFileExtentReader();
    CZuError CreateFileExtentWriter(FN_SendXDRMsgToFIR fnSendXDRMsgToFIR, FN_SendXMLMsgToFIR fnSendXMLMsgToFIR,
                                    unsigned int maxItemsToPersistInBlock);

private:
    CZuError CheckInitialized() const;
    // The record as the writer sees it: its cache, or the local table when the writer cannot read.
    CZuError ReadCurrentRecord(const CRestoringItemAndVersion& key, CRestoredItem& record);
    CZuError CheckContainerReport(const std::string& path, const CFileExtentContainerItemRestoreReport& report);
    CZuError CreateEvictedItemsTable();
    void ReleaseStore();

    std::unique_ptr<CFileExtentRestoreHandlerPrivate> d;
};
} // namespace FILEEXTENT_RESTORE
