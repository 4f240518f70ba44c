#include "collector/CollectorMerge.h"

#include <algorithm>

using FILEEXTENT_RESTORE::CRestoredItem;
using FILEEXTENT_RESTORE::RestoreStatus;

namespace FILEEXTENT_COLLECTOR
{
CRestoredItem CCollectorMerge::Merge(std::vector<CAgentRestoredItem> agents)
{
    std::sort(agents.begin(), agents.end(),
              [](const CAgentRestoredItem& a, const CAgentRestoredItem& b) { return a.AgentId < b.AgentId; });
    const CRestoredItem& container = ContainerAgent(agents).Item;
    const CRestoredItem& worst = WorstAgent(agents).Item;

    // Every column holds a value: the merged row is written whole.
    CRestoredItem merged;
    merged.Reset();
    merged.FilePath = container.FilePath;
    merged.RestoredItemVersion = container.RestoredItemVersion;
    merged.RestoredFilePath = container.RestoredFilePath.value_or(std::string());
    merged.NumOfExtents = container.NumOfExtents.value_or(0);
    merged.Metadata = container.Metadata.value_or(std::string());
    merged.PostProcessAction = container.PostProcessAction.value_or(std::string());
    merged.TaskId = container.TaskId.value_or(0);
    merged.ContainerItemRestored =
        std::any_of(agents.begin(), agents.end(),
                    [](const CAgentRestoredItem& agent) { return agent.Item.ContainerItemRestored.value_or(false); });
    merged.Status = worst.Status.value_or(FILEEXTENT_RESTORE::PROGRESSING);
    merged.ErrorCode = worst.ErrorCode.value_or(0);
    merged.ExtentBitmap = UnionOfBitmaps(agents);
    return merged;
}

int CCollectorMerge::Severity(RestoreStatus status)
{
    switch (status)
    {
    case FILEEXTENT_RESTORE::FAILED:
        return 3;
    case FILEEXTENT_RESTORE::SKIPPED:
        return 2;
    case FILEEXTENT_RESTORE::PROGRESSING:
        return 1;
    case FILEEXTENT_RESTORE::SUCCESS:
        return 0;
    }
    return 3;
}

const CAgentRestoredItem& CCollectorMerge::ContainerAgent(const std::vector<CAgentRestoredItem>& agents)
{
    for (const CAgentRestoredItem& agent : agents)
        if (agent.Item.ContainerItemRestored.value_or(false))
            return agent;
    return agents.front();
}

const CAgentRestoredItem& CCollectorMerge::WorstAgent(const std::vector<CAgentRestoredItem>& agents)
{
    const CAgentRestoredItem* worst = &agents.front();
    for (const CAgentRestoredItem& agent : agents)
        if (Severity(agent.Item.Status.value_or(FILEEXTENT_RESTORE::PROGRESSING)) >
            Severity(worst->Item.Status.value_or(FILEEXTENT_RESTORE::PROGRESSING)))
            worst = &agent;
    return *worst;
}

boost::dynamic_bitset<unsigned char> CCollectorMerge::UnionOfBitmaps(const std::vector<CAgentRestoredItem>& agents)
{
    std::size_t bits = 0;
    for (const CAgentRestoredItem& agent : agents)
        if (agent.Item.ExtentBitmap)
            bits = std::max(bits, agent.Item.ExtentBitmap->size());
    boost::dynamic_bitset<unsigned char> merged(bits);
    for (const CAgentRestoredItem& agent : agents)
    {
        if (!agent.Item.ExtentBitmap)
            continue;
        boost::dynamic_bitset<unsigned char> widened(*agent.Item.ExtentBitmap);
        widened.resize(bits);
        merged |= widened;
    }
    return merged;
}
} // namespace FILEEXTENT_COLLECTOR
