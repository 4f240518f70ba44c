#include "CollectorBatchHandler.h"

#include "collector/FileExtentCollector.h"
#include "foundation/ErrorPropagation.h"
#include "transport/redis/StreamEntryCodec.h"

using FILEEXTENT_COLLECTOR::CCollectorMessage;
using FILEEXTENT_COLLECTOR::CCollectorRefusal;
using FILEEXTENT_REDIS::CRedisStreamEntry;
using FILEEXTENT_REDIS::CRefusedStreamEntry;

CCollectorBatchHandler::CCollectorBatchHandler(FILEEXTENT_COLLECTOR::CFileExtentCollector& collector,
                                               ProgressFn progress)
    : m_collector(collector), m_progress(std::move(progress))
{
}

CZuError CCollectorBatchHandler::operator()(const std::vector<CRedisStreamEntry>& batch,
                                            std::vector<CRefusedStreamEntry>& refused)
{
    std::vector<CCollectorMessage> messages;
    std::vector<const CRedisStreamEntry*> sources;
    for (const CRedisStreamEntry& entry : batch)
    {
        CCollectorMessage message;
        const CZuError error = FILEEXTENT_REDIS::CStreamEntryCodec::FromFields(entry.Fields, message);
        if (error.IsError())
        {
            refused.push_back(CRefusedStreamEntry{entry, error.GetMessage()});
            continue;
        }
        messages.push_back(std::move(message));
        sources.push_back(&entry);
    }
    std::vector<CCollectorRefusal> refusals;
    FX_RETURN_IF_ERROR(m_collector.Receive(messages, refusals));
    for (const CCollectorRefusal& refusal : refusals)
        refused.push_back(CRefusedStreamEntry{*sources[refusal.Index], refusal.Reason.GetMessage()});
    if (m_progress)
        m_progress(batch.size());
    return CZuError::Success();
}
