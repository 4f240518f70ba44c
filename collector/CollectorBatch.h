#pragma once

#include "collector/CollectorAgent.h"
#include "collector/CollectorAgentItemsTable.h"
#include "collector/CollectorAgentsTable.h"
#include "collector/FileExtentCollector.h"
#include "restore/records/RestoredItem.h"
#include "store/FileExtentRestoreDBHandler.h"

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace FILEEXTENT_COLLECTOR
{
// One batch of messages into the collector's tables, in one transaction: decode every message,
// keep each agent's record when it is later than the one stored and merge its file again, count
// what came from each agent, commit. Used once.
class CCollectorBatch
{
public:
    CCollectorBatch(FILEEXTENT_RESTORE::CFileExtentRestoreDBHandler& merged, CCollectorAgentItemsTable& agentItems,
                    CCollectorAgentsTable& agents);

    // totals grows by what the batch stored, only once it committed.
    CZuError Run(const std::vector<CCollectorMessage>& messages, std::vector<CCollectorRefusal>& refused,
                 CCollectorTotals& totals);

private:
    CZuError Store(const CCollectorMessage& message, const std::vector<FILEEXTENT_RESTORE::CRestoredItem>& records);
    CZuError Apply(const CCollectorMessage& message, std::size_t position, const FILEEXTENT_RESTORE::CRestoredItem& record);
    CZuError WriteAgents();
    void Count(const CCollectorMessage& message, bool refused);

    FILEEXTENT_RESTORE::CFileExtentRestoreDBHandler& m_merged;
    CCollectorAgentItemsTable& m_agentItems;
    CCollectorAgentsTable& m_agentsTable;
    // What this batch adds to each agent's counts.
    std::map<std::string, CCollectorAgent> m_agents;
    CCollectorTotals m_totals;
};
} // namespace FILEEXTENT_COLLECTOR
