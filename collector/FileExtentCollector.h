#pragma once

#include "collector/CollectorAgent.h"
#include "collector/CollectorMessage.h"
#include "platform/ZuUtils/ZuError.h"
#include "platform/ZuUtils/ZuTypes.h"
#include "restore/records/FileExtentRestoredFileAttributesAndStatus.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace FILEEXTENT_COLLECTOR
{
class CFileExtentCollectorPrivate;

// A message the collector refused, by its place in the batch, and why.
struct CCollectorRefusal
{
    std::size_t Index = 0;
    CZuError Reason;
};

// What this collector object has received since it was opened.
struct CCollectorTotals
{
    std::uint64_t Messages = 0;
    std::uint64_t Records = 0; // records that changed their agent's row
    std::uint64_t Stale = 0;   // records that did not: repeated, or older than what the agent sent since
    std::uint64_t Refused = 0; // messages refused
};

// The remote side of a distributed restore: the records that many agents' reporters send, in
// "FileExtentCollector.db" in its directory. Each agent's latest record of a (path, version)
// is kept in "AgentItems" (ordered by the agent's run and message sequence, so a message
// delivered twice or late changes nothing), and the file's record that they make together
// (CCollectorMerge) in "RestoredItems", with the restore table's columns, so every reader of
// a restore database reads it. Decide() applies the restore's final status rule to it.
//
// Several collectors (processes) may share one directory: each batch is one transaction.
// One object must not be used from two threads at once.
class CFileExtentCollector
{
public:
    static const char* const DBName; // "FileExtentCollector.db"

    explicit CFileExtentCollector(const std::string& directory);
    ~CFileExtentCollector();
    CFileExtentCollector(const CFileExtentCollector&) = delete;
    CFileExtentCollector& operator=(const CFileExtentCollector&) = delete;

    // Opens (creating when absent) the database and its tables; waits a while for another
    // collector that is making the same file.
    CZuError Open();
    void Close();
    std::string DBPath() const;

    // A batch of messages in one transaction: the messages that decode are stored, the others
    // listed in `refused` with their reasons (nothing of them is stored, and they are counted).
    // Success means the transaction committed; on failure nothing of the batch is stored.
    CZuError Receive(const std::vector<CCollectorMessage>& messages, std::vector<CCollectorRefusal>& refused);
    // One message; a refused one is the error.
    CZuError Receive(const CCollectorMessage& message);

    // The final status of every merged record, by the rule of the restore's UpdateStatus. A
    // record received later is merged again and must be decided again.
    CZuError Decide();

    // As the restore handler's enumerations and count, over the merged records.
    CZuError GetAllRestoredItems(
        const std::function<CZuError(const std::string&, unsigned int,
                                     const FILEEXTENT_RESTORE::CFileExtentContainerItemRestoreReport&)>& callback);
    CZuError GetAllRestoredItemsByTaskId(
        INT taskId,
        const std::function<CZuError(const std::string&, const FILEEXTENT_RESTORE::CFileExtentContainerItemRestoreReport&)>&
            callback);
    CZuError GetAllRestoredItemsCount(ULONGLONG& count);
    // The merged records as stored; ERROR_NOT_FOUND when there is none.
    CZuError ForEachRecord(const std::function<CZuError(const FILEEXTENT_RESTORE::CRestoredItem&)>& fn);
    // Every agent heard from, in id order; ERROR_NOT_FOUND when there is none.
    CZuError ForEachAgent(const std::function<CZuError(const CCollectorAgent&)>& fn);

    CCollectorTotals Totals() const;

private:
    CZuError OpenOnce();
    CZuError CheckOpen() const;

    std::unique_ptr<CFileExtentCollectorPrivate> d;
};
} // namespace FILEEXTENT_COLLECTOR
