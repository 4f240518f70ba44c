#include "collector/CollectorBatch.h"

#include "collector/CollectorMerge.h"
#include "collector/CollectorMessageDecoder.h"
#include "foundation/ErrorPropagation.h"
#include "platform/ZuUtils/FXErrorUtil.h"

#include <algorithm>
#include <chrono>
#include <new>

using FILEEXTENT_RESTORE::CRestoredItem;

namespace FILEEXTENT_COLLECTOR
{
namespace
{
std::int64_t NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void Add(boost::optional<std::int64_t>& total, std::int64_t amount)
{
    total = total.value_or(0) + amount;
}
} // namespace

CCollectorBatch::CCollectorBatch(FILEEXTENT_RESTORE::CFileExtentRestoreDBHandler& merged,
                                 CCollectorAgentItemsTable& agentItems, CCollectorAgentsTable& agents)
    : m_merged(merged), m_agentItems(agentItems), m_agentsTable(agents)
{
}

CZuError CCollectorBatch::Run(const std::vector<CCollectorMessage>& messages, std::vector<CCollectorRefusal>& refused,
                              CCollectorTotals& totals)
{
    refused.clear();
    FX_RETURN_IF_ERROR(m_merged.BeginTransaction());
    CZuError error;
    try
    {
        std::vector<CRestoredItem> records;
        for (std::size_t i = 0; i < messages.size() && !error.IsError(); ++i)
        {
            const CZuError decoded = CCollectorMessageDecoder::Decode(messages[i], records);
            Count(messages[i], decoded.IsError());
            if (decoded.IsError())
                refused.push_back(CCollectorRefusal{i, decoded});
            else
                error = Store(messages[i], records);
        }
        if (!error.IsError())
            error = WriteAgents();
    }
    catch (...)
    {
        // Only allocations throw here: records, bitmaps, rows.
        error = FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    if (error.IsError())
        m_merged.RollbackTransaction();
    else
        error = m_merged.CommitTransaction();
    if (error.IsError())
    {
        // Nothing of the batch is stored: it is all to be delivered again, refusals included.
        refused.clear();
        return error.Push(FX_CODE_LOCATION);
    }
    totals.Messages += m_totals.Messages;
    totals.Records += m_totals.Records;
    totals.Stale += m_totals.Stale;
    totals.Refused += m_totals.Refused;
    return CZuError::Success();
}

CZuError CCollectorBatch::Store(const CCollectorMessage& message, const std::vector<CRestoredItem>& records)
{
    for (std::size_t position = 0; position < records.size(); ++position)
        FX_RETURN_IF_ERROR(Apply(message, position, records[position]));
    return CZuError::Success();
}

// The agent's record replaces its earlier one only when it comes later among its messages; the
// file's merged record is then made again from every agent's.
CZuError CCollectorBatch::Apply(const CCollectorMessage& message, std::size_t position, const CRestoredItem& record)
{
    CAgentRestoredItem row;
    row.Item = record;
    row.AgentId = message.AgentId;
    row.Incarnation = static_cast<std::int64_t>(message.Incarnation);
    row.Sequence = static_cast<std::int64_t>(message.Sequence);
    row.Position = static_cast<std::int64_t>(position);

    std::vector<CAgentRestoredItem> rows;
    CZuError error = m_agentItems.ForEachAgentOf(record.FilePath, record.RestoredItemVersion,
                                                 [&rows](const CAgentRestoredItem& stored) {
                                                     rows.push_back(stored);
                                                     return CZuError::Success();
                                                 });
    if (error.IsError() && !FXErrorUtil::IsWin32(error, ERROR_NOT_FOUND))
        return error.Push(FX_CODE_LOCATION);
    CCollectorAgent& agent = m_agents[message.AgentId];
    auto own = std::find_if(rows.begin(), rows.end(),
                            [&row](const CAgentRestoredItem& stored) { return stored.AgentId == row.AgentId; });
    if (own != rows.end() && !row.IsLaterThan(*own))
    {
        Add(agent.Stale, 1);
        ++m_totals.Stale;
        return CZuError::Success();
    }
    FX_RETURN_IF_ERROR(m_agentItems.Put(row));
    if (own != rows.end())
        *own = row;
    else
        rows.push_back(row);
    Add(agent.Records, 1);
    ++m_totals.Records;
    const CRestoredItem merged = CCollectorMerge::Merge(std::move(rows));
    FX_RETURN_PROPAGATED(m_merged.AddorUpdate(merged.FilePath, merged.RestoredItemVersion, merged));
}

void CCollectorBatch::Count(const CCollectorMessage& message, bool refused)
{
    CCollectorAgent& agent = m_agents[message.AgentId];
    Add(agent.Messages, 1);
    ++m_totals.Messages;
    if (refused)
    {
        Add(agent.Refused, 1);
        ++m_totals.Refused;
        return;
    }
    const auto order = std::make_pair(static_cast<std::int64_t>(message.Incarnation),
                                      static_cast<std::int64_t>(message.Sequence));
    if (order > std::make_pair(agent.Incarnation.value_or(0), agent.LastSequence.value_or(0)))
    {
        agent.Incarnation = order.first;
        agent.LastSequence = order.second;
    }
}

// Each agent's counts grow by the batch's; its last message is the later of the two.
CZuError CCollectorBatch::WriteAgents()
{
    const std::int64_t now = NowMs();
    for (const auto& entry : m_agents)
    {
        const CCollectorAgent& delta = entry.second;
        CCollectorAgent agent;
        CZuError error = m_agentsTable.Get(entry.first, agent);
        if (error.IsError() && !FXErrorUtil::IsWin32(error, ERROR_NOT_FOUND))
            return error.Push(FX_CODE_LOCATION);
        agent.AgentId = entry.first;
        Add(agent.Messages, delta.Messages.value_or(0));
        Add(agent.Records, delta.Records.value_or(0));
        Add(agent.Stale, delta.Stale.value_or(0));
        Add(agent.Refused, delta.Refused.value_or(0));
        const auto order = std::make_pair(delta.Incarnation.value_or(0), delta.LastSequence.value_or(0));
        if (order > std::make_pair(agent.Incarnation.value_or(0), agent.LastSequence.value_or(0)))
        {
            agent.Incarnation = order.first;
            agent.LastSequence = order.second;
        }
        agent.Incarnation = agent.Incarnation.value_or(0);
        agent.LastSequence = agent.LastSequence.value_or(0);
        agent.LastSeenMs = now;
        FX_RETURN_IF_ERROR(m_agentsTable.Put(agent));
    }
    return CZuError::Success();
}
} // namespace FILEEXTENT_COLLECTOR
