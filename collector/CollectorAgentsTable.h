#pragma once

#include "collector/CollectorAgent.h"
#include "collector/CollectorAgentColumns.h"
#include "store/FileExtentRestoreDB.h"
#include "store/RecordTableT.h"

#include <functional>
#include <string>

namespace FILEEXTENT_COLLECTOR
{
// The table "Agents": what the collector has had from each agent. Calls must not overlap.
class CCollectorAgentsTable : public FILEEXTENT_RESTORE::CRecordTableT<CCollectorAgent, CCollectorAgentColumns>
{
public:
    explicit CCollectorAgentsTable(FILEEXTENT_RESTORE::CFileExtentRestoreDB& db);
    ~CCollectorAgentsTable();

    using CRecordTableT::CreateTable;
    using CRecordTableT::CloseTable;

    // ERROR_NOT_FOUND for an agent not seen yet.
    CZuError Get(const std::string& agentId, CCollectorAgent& agent);
    CZuError Put(const CCollectorAgent& agent);
    // Every agent in id order; ERROR_NOT_FOUND when there is none.
    CZuError ForEach(const std::function<CZuError(const CCollectorAgent&)>& fn);
};
} // namespace FILEEXTENT_COLLECTOR

namespace FILEEXTENT_RESTORE
{
extern template class CRecordTableT<FILEEXTENT_COLLECTOR::CCollectorAgent, FILEEXTENT_COLLECTOR::CCollectorAgentColumns>;
}
