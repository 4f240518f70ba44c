#pragma once

#include "collector/AgentRestoredItem.h"
#include "restore/records/RestoredItem.h"

#include <vector>

namespace FILEEXTENT_COLLECTOR
{
// The record of one (path, version) that its agents' latest records make together, the same
// whatever order their messages came in:
// - the extent bitmap is the union of the agents' bitmaps (as long as the longest of them);
// - a container report from any agent counts (ContainerItemRestored);
// - restored path, extent count, attributes, post-process action and task come from the
//   container report: the first agent, by id, whose record has one (else the first agent);
// - the status is the worst any agent reports (FAILED, then SKIPPED, then PROGRESSING, then
//   SUCCESS), with that agent's error code.
// Agents that disagree on the extent count leave a bitmap that does not match it, which the
// final decision fails: in doubt a file is not counted restored.
class CCollectorMerge
{
public:
    // agents: at least one row, all of one key.
    static FILEEXTENT_RESTORE::CRestoredItem Merge(std::vector<CAgentRestoredItem> agents);

private:
    static int Severity(FILEEXTENT_RESTORE::RestoreStatus status);
    static const CAgentRestoredItem& ContainerAgent(const std::vector<CAgentRestoredItem>& agents);
    static const CAgentRestoredItem& WorstAgent(const std::vector<CAgentRestoredItem>& agents);
    static boost::dynamic_bitset<unsigned char> UnionOfBitmaps(const std::vector<CAgentRestoredItem>& agents);
};
} // namespace FILEEXTENT_COLLECTOR
