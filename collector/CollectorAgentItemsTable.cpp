#include "collector/CollectorAgentItemsTable.h"

#include "foundation/ErrorPropagation.h"
#include "store/RecordTableTImpl.h"

namespace FILEEXTENT_RESTORE
{
template class CRecordTableT<FILEEXTENT_COLLECTOR::CAgentRestoredItem, FILEEXTENT_COLLECTOR::CAgentItemColumns>;
}

namespace FILEEXTENT_COLLECTOR
{
namespace
{
CAgentRestoredItem KeyOf(const std::string& path, ULONG version, const std::string& agentId)
{
    CAgentRestoredItem key;
    key.Item.FilePath = path;
    key.Item.RestoredItemVersion = version;
    key.AgentId = agentId;
    return key;
}
} // namespace

CCollectorAgentItemsTable::CCollectorAgentItemsTable(FILEEXTENT_RESTORE::CFileExtentRestoreDB& db) : CRecordTableT(db)
{
}

CCollectorAgentItemsTable::~CCollectorAgentItemsTable() = default;

CZuError CCollectorAgentItemsTable::Put(const CAgentRestoredItem& row)
{
    FX_RETURN_PROPAGATED(UpsertByKey(row));
}

CZuError CCollectorAgentItemsTable::ForEachAgentOf(const std::string& path, ULONG version,
                                                   const std::function<CZuError(const CAgentRestoredItem&)>& fn)
{
    // The path and the version lead the key; the agent follows.
    FX_RETURN_PROPAGATED(EnumerateByLeadingKeys(KeyOf(path, version, std::string()), 2, fn));
}
} // namespace FILEEXTENT_COLLECTOR
