#include "collector/CollectorAgentItemsTable.h"

#include "foundation/ErrorPropagation.h"
#include "platform/ZuUtils/FXString.h"
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

CZuError CCollectorAgentItemsTable::Get(const std::string& path, ULONG version, const std::string& agentId,
                                        CAgentRestoredItem& row)
{
    FX_RETURN_PROPAGATED(GetByKey(KeyOf(path, version, agentId), row));
}

CZuError CCollectorAgentItemsTable::Put(const CAgentRestoredItem& row)
{
    FX_RETURN_PROPAGATED(UpsertByKey(row));
}

CZuError CCollectorAgentItemsTable::ForEachAgentOf(const std::string& path, ULONG version,
                                                   const std::function<CZuError(const CAgentRestoredItem&)>& fn)
{
    const std::string condition = FXString::Format("FilePath='%s' AND RestoredItemVersion=%u",
                                                   FX::CDatabaseBase::SqlSafeString(path).c_str(), version);
    FX_RETURN_PROPAGATED(EnumerateWhere(condition, fn));
}
} // namespace FILEEXTENT_COLLECTOR
