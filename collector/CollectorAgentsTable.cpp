#include "collector/CollectorAgentsTable.h"

#include "foundation/ErrorPropagation.h"
#include "store/RecordTableTImpl.h"

namespace FILEEXTENT_RESTORE
{
template class CRecordTableT<FILEEXTENT_COLLECTOR::CCollectorAgent, FILEEXTENT_COLLECTOR::CCollectorAgentColumns>;
}

namespace FILEEXTENT_COLLECTOR
{
CCollectorAgentsTable::CCollectorAgentsTable(FILEEXTENT_RESTORE::CFileExtentRestoreDB& db) : CRecordTableT(db)
{
}

CCollectorAgentsTable::~CCollectorAgentsTable() = default;

CZuError CCollectorAgentsTable::Get(const std::string& agentId, CCollectorAgent& agent)
{
    CCollectorAgent key;
    key.AgentId = agentId;
    FX_RETURN_PROPAGATED(GetByKey(key, agent));
}

CZuError CCollectorAgentsTable::Put(const CCollectorAgent& agent)
{
    FX_RETURN_PROPAGATED(UpsertByKey(agent));
}

CZuError CCollectorAgentsTable::ForEach(const std::function<CZuError(const CCollectorAgent&)>& fn)
{
    FX_RETURN_PROPAGATED(EnumerateWhere("1 ORDER BY AgentId", fn));
}
} // namespace FILEEXTENT_COLLECTOR
