#pragma once

#include "collector/AgentItemColumns.h"
#include "collector/AgentRestoredItem.h"
#include "store/FileExtentRestoreDB.h"
#include "store/RecordTableT.h"

#include <functional>
#include <string>

namespace FILEEXTENT_COLLECTOR
{
// The table "AgentItems": every agent's latest record of each (path, version), the path
// compared without regard to ASCII case as in "RestoredItems". Calls must not overlap.
class CCollectorAgentItemsTable : public FILEEXTENT_RESTORE::CRecordTableT<CAgentRestoredItem, CAgentItemColumns>
{
public:
    explicit CCollectorAgentItemsTable(FILEEXTENT_RESTORE::CFileExtentRestoreDB& db);
    ~CCollectorAgentItemsTable();

    using CRecordTableT::CreateTable;
    using CRecordTableT::CloseTable;
    using CRecordTableT::GetCount;
    using CRecordTableT::GetAllRestoredItems;

    // Stores the row under its own key, every column.
    CZuError Put(const CAgentRestoredItem& row);
    // Every agent's row of one (path, version); ERROR_NOT_FOUND when there is none.
    CZuError ForEachAgentOf(const std::string& path, ULONG version,
                            const std::function<CZuError(const CAgentRestoredItem&)>& fn);
};
} // namespace FILEEXTENT_COLLECTOR

namespace FILEEXTENT_RESTORE
{
extern template class CRecordTableT<FILEEXTENT_COLLECTOR::CAgentRestoredItem, FILEEXTENT_COLLECTOR::CAgentItemColumns>;
}
