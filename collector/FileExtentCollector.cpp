#include "collector/FileExtentCollector.h"

#include "collector/CollectorBatch.h"
#include "collector/FileExtentCollectorPrivate.h"
#include "foundation/ErrorPropagation.h"
#include "foundation/HostCall.h"
#include "foundation/MakeSharedNothrow.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "restore/RestoreStatusPass.h"
#include "restore/records/RestoredItemReport.h"

#include <chrono>
#include <new>
#include <thread>

using FILEEXTENT_RESTORE::CFileExtentContainerItemRestoreReport;
using FILEEXTENT_RESTORE::CFileExtentRestoreDB;
using FILEEXTENT_RESTORE::CFileExtentRestoreDBHandler;
using FILEEXTENT_RESTORE::CRestoredItem;

namespace FILEEXTENT_COLLECTOR
{
namespace
{
const unsigned int kCollectorDBVersion = 1;
const std::chrono::seconds kOpenBusyFor(10);
const std::chrono::milliseconds kOpenRetryPause(50);

bool IsBusy(const CZuError& error)
{
    // SQLITE_BUSY and its extended codes.
    return error.GetKind() == CZuError::Kind::SQLite && (error.GetCode() & 0xFF) == 5;
}
} // namespace

const char* const CFileExtentCollector::DBName = "FileExtentCollector.db";

CFileExtentCollector::CFileExtentCollector(const std::string& directory)
    : d(new (std::nothrow) CFileExtentCollectorPrivate(directory))
{
}

CFileExtentCollector::~CFileExtentCollector()
{
    Close();
}

CZuError CFileExtentCollector::CheckOpen() const
{
    if (!d)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    if (!d->ptrDB)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_STATE, "The collector is not open");
    return CZuError::Success();
}

// Collectors that start together on a new file meet while one of them makes it (the switch to
// WAL takes the file for itself, and SQLite does not wait for that): the others try again.
CZuError CFileExtentCollector::Open()
{
    const auto deadline = std::chrono::steady_clock::now() + kOpenBusyFor;
    for (;;)
    {
        CZuError error = OpenOnce();
        if (!IsBusy(error) || std::chrono::steady_clock::now() >= deadline)
            FX_RETURN_PROPAGATED(error);
        std::this_thread::sleep_for(kOpenRetryPause);
    }
}

CZuError CFileExtentCollector::OpenOnce()
{
    if (!d)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    if (d->ptrDB)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_ALREADY_INITIALIZED, "The collector is open on [%s]",
                                       d->strDirectory.c_str());
    d->ptrDB = boost::make_shared_nothrow<CFileExtentRestoreDB>(d->strDirectory, DBName, kCollectorDBVersion);
    if (d->ptrDB)
    {
        d->ptrMerged = boost::make_shared_nothrow<CFileExtentRestoreDBHandler>(*d->ptrDB);
        d->ptrAgentItems = boost::make_shared_nothrow<CCollectorAgentItemsTable>(*d->ptrDB);
        d->ptrAgents = boost::make_shared_nothrow<CCollectorAgentsTable>(*d->ptrDB);
    }
    CZuError error;
    if (!d->ptrDB || !d->ptrMerged || !d->ptrAgentItems || !d->ptrAgents)
        error = FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    if (!error.IsError())
        error = d->ptrDB->OpenDB();
    if (!error.IsError())
        error = d->ptrMerged->CreateTable();
    if (!error.IsError())
        error = d->ptrAgentItems->CreateTable();
    if (!error.IsError())
        error = d->ptrAgents->CreateTable();
    if (error.IsError())
    {
        Close();
        return error.Push(FX_CODE_LOCATION);
    }
    return CZuError::Success();
}

void CFileExtentCollector::Close()
{
    if (!d)
        return;
    d->ptrAgents.reset();
    d->ptrAgentItems.reset();
    d->ptrMerged.reset();
    if (d->ptrDB)
        d->ptrDB->CloseDB();
    d->ptrDB.reset();
}

std::string CFileExtentCollector::DBPath() const
{
    return d && d->ptrDB ? d->ptrDB->GetDBPath() : std::string();
}

CZuError CFileExtentCollector::Receive(const std::vector<CCollectorMessage>& messages,
                                       std::vector<CCollectorRefusal>& refused)
{
    refused.clear();
    FX_RETURN_IF_ERROR(CheckOpen());
    CCollectorBatch batch(*d->ptrMerged, *d->ptrAgentItems, *d->ptrAgents);
    FX_RETURN_PROPAGATED(batch.Run(messages, refused, d->totals));
}

CZuError CFileExtentCollector::Receive(const CCollectorMessage& message)
{
    std::vector<CCollectorRefusal> refused;
    CZuError error;
    try
    {
        error = Receive(std::vector<CCollectorMessage>{message}, refused);
    }
    catch (const std::bad_alloc&)
    {
        error = FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    if (!error.IsError() && !refused.empty())
        error = refused.front().Reason;
    FX_RETURN_PROPAGATED(error);
}

CZuError CFileExtentCollector::Decide()
{
    FX_RETURN_IF_ERROR(CheckOpen());
    // A table handler of its own: the pass updates rows while its enumeration is open.
    CFileExtentRestoreDBHandler table(*d->ptrDB);
    FX_RETURN_IF_ERROR(table.CreateTable());
    FX_RETURN_PROPAGATED(FILEEXTENT_RESTORE::CRestoreStatusPass(table).Run());
}

CZuError CFileExtentCollector::GetAllRestoredItems(
    const std::function<CZuError(const std::string&, unsigned int, const CFileExtentContainerItemRestoreReport&)>&
        callback)
{
    FX_RETURN_IF_ERROR(CheckOpen());
    CFileExtentContainerItemRestoreReport report;
    FX_RETURN_PROPAGATED(d->ptrMerged->GetAllRestoredItems([&callback, &report](const CRestoredItem& record) {
        FILEEXTENT_RESTORE::CRestoredItemReport::Fill(record, report);
        FX_RETURN_PROPAGATED(FXCallHost(callback, record.FilePath, record.RestoredItemVersion, report));
    }));
}

CZuError CFileExtentCollector::GetAllRestoredItemsByTaskId(
    INT taskId, const std::function<CZuError(const std::string&, const CFileExtentContainerItemRestoreReport&)>& callback)
{
    FX_RETURN_IF_ERROR(CheckOpen());
    CFileExtentContainerItemRestoreReport report;
    FX_RETURN_PROPAGATED(
        d->ptrMerged->GetAllRestoredItemsByTaskId(taskId, [&callback, &report](const CRestoredItem& record) {
            FILEEXTENT_RESTORE::CRestoredItemReport::Fill(record, report);
            FX_RETURN_PROPAGATED(FXCallHost(callback, record.FilePath, report));
        }));
}

CZuError CFileExtentCollector::GetAllRestoredItemsCount(ULONGLONG& count)
{
    count = 0;
    FX_RETURN_IF_ERROR(CheckOpen());
    FX_RETURN_PROPAGATED(d->ptrMerged->GetCount(count));
}

CZuError CFileExtentCollector::ForEachRecord(const std::function<CZuError(const CRestoredItem&)>& fn)
{
    FX_RETURN_IF_ERROR(CheckOpen());
    FX_RETURN_PROPAGATED(
        d->ptrMerged->GetAllRestoredItems([&fn](const CRestoredItem& record) { return FXCallHost(fn, record); }));
}

CZuError CFileExtentCollector::ForEachAgent(const std::function<CZuError(const CCollectorAgent&)>& fn)
{
    FX_RETURN_IF_ERROR(CheckOpen());
    FX_RETURN_PROPAGATED(
        d->ptrAgents->ForEach([&fn](const CCollectorAgent& agent) { return FXCallHost(fn, agent); }));
}

CCollectorTotals CFileExtentCollector::Totals() const
{
    return d ? d->totals : CCollectorTotals();
}
} // namespace FILEEXTENT_COLLECTOR
