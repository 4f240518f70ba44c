#pragma once

#include "collector/CollectorAgent.h"
#include "collector/CollectorAgentItemsTable.h"
#include "collector/CollectorAgentsTable.h"
#include "collector/FileExtentCollector.h"
#include "foundation/AsciiNoCase.h"
#include "restore/records/RestoredItem.h"
#include "store/FileExtentRestoreDBHandler.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace FILEEXTENT_COLLECTOR
{
// One batch of messages into the collector's tables, in one transaction: decode every message,
// keep each agent's record when it is later than the one stored, merge again every file a record
// changed, count what came from each agent, commit. Used once.
class CCollectorBatch
{
public:
    CCollectorBatch(FILEEXTENT_RESTORE::CFileExtentRestoreDBHandler& merged, CCollectorAgentItemsTable& agentItems,
                    CCollectorAgentsTable& agents);

    // totals grows by what the batch stored, only once it committed.
    CZuError Run(const std::vector<CCollectorMessage>& messages, std::vector<CCollectorRefusal>& refused,
                 CCollectorTotals& totals);

private:
    // A (path, version) as the tables compare it: the path without regard to ASCII case.
    struct CKeyLess
    {
        bool operator()(const std::pair<std::string, ULONG>& a, const std::pair<std::string, ULONG>& b) const
        {
            const int byPath = CAsciiNoCase::Compare(a.first, b.first);
            return byPath != 0 ? byPath < 0 : a.second < b.second;
        }
    };

    CZuError Store(const CCollectorMessage& message, const std::vector<FILEEXTENT_RESTORE::CRestoredItem>& records);
    CZuError Apply(const CCollectorMessage& message, std::size_t position, const FILEEXTENT_RESTORE::CRestoredItem& record);
    CZuError MergeAgain(const std::string& path, ULONG version);
    CZuError WriteAgents();
    void Count(const CCollectorMessage& message, bool refused);

    FILEEXTENT_RESTORE::CFileExtentRestoreDBHandler& m_merged;
    CCollectorAgentItemsTable& m_agentItems;
    CCollectorAgentsTable& m_agentsTable;
    std::set<std::pair<std::string, ULONG>, CKeyLess> m_changed;
    // What this batch adds to each agent's counts.
    std::map<std::string, CCollectorAgent> m_agents;
    CCollectorTotals m_totals;
};
} // namespace FILEEXTENT_COLLECTOR
