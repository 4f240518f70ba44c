#include "RedisAgentRun.h"

#include "SimulatedRestore.h"
#include "Summary.h"

#include "platform/ZuUtils/FXErrorUtil.h"
#include "restore/FileExtentRestoreHandler.h"
#include "transport/redis/FileExtentRedisSender.h"

#include <chrono>
#include <memory>
#include <thread>

using FILEEXTENT_REDIS::CFileExtentRedisSender;
using FILEEXTENT_RESTORE::CFileExtentRestoreHandler;

namespace
{
const std::chrono::milliseconds SendTimeout(2000);
const std::chrono::milliseconds FlushRetryPause(250);

// The library keeps what it could not send: the next flush sends it again.
bool IsKeptForLater(const CZuError& error)
{
    return FXErrorUtil::IsWin32(error, ERROR_NETWORK_UNREACHABLE);
}

// Flushes until everything was sent, Redis being back within the time allowed.
CZuError FlushUntilSent(CFileExtentRestoreHandler& handler, std::uint64_t& failures)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(CRedisAgentRun::RetrySeconds);
    for (;;)
    {
        CZuError error = handler.Flush();
        if (!IsKeptForLater(error) || std::chrono::steady_clock::now() >= deadline)
            return error;
        ++failures;
        std::this_thread::sleep_for(FlushRetryPause);
    }
}
} // namespace

std::string CRedisAgentRun::AgentId(std::uint64_t agent)
{
    return "agent-" + std::to_string(agent);
}

CRedisAgentRun::CRedisAgentRun(const CSettings& settings, const CSimulationOptions& plan)
    : m_settings(settings), m_plan(plan)
{
}

CToolStatus CRedisAgentRun::Run(const std::string& directory, CSummary& summary)
{
    std::unique_ptr<CFileExtentRedisSender> sender;
    CZuError error = CFileExtentRedisSender::Create(m_settings.Redis, m_settings.Job, AgentId(m_settings.Agent),
                                                    SendTimeout, sender);
    if (error.IsError())
        return CToolStatus::Usage(error.GetMessage());
    CFileExtentRestoreHandler handler;
    error = handler.Initialize(directory, true, sender->XDRCallback(), sender->XMLCallback(), m_settings.Block,
                               m_settings.Options);
    if (error.IsError())
        return CToolStatus::Failure("cannot initialise the restore in '" + directory + "'", error);

    std::uint64_t keptForLater = 0;
    CSimulatedRestore restore(handler, static_cast<std::uint64_t>(m_plan.Extents),
                              [&keptForLater](const std::string& what, const CZuError& failure) {
                                  if (!IsKeptForLater(failure))
                                      return CToolStatus::Failure(what, failure);
                                  ++keptForLater;
                                  return CToolStatus::Ok();
                              });
    restore.RestorePartOf(m_settings.Agent, m_settings.Agents);
    const CSimulationPlan plan(m_plan);
    std::uint64_t files = 0;
    const auto started = std::chrono::steady_clock::now();
    CToolStatus status = plan.ForEachFile(AgentId(m_settings.Agent), [&](const CSimulatedFile& file) {
        files += restore.TakesPart(file) ? 1 : 0;
        return restore.Send(file);
    });
    if (status.IsOk())
    {
        error = FlushUntilSent(handler, keptForLater);
        if (error.IsError())
            status = CToolStatus::Failure("the last flush to '" + m_settings.Redis + "'", error);
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
    const CZuError teardown = handler.DeInitialize();
    if (status.IsOk() && teardown.IsError())
        status = CToolStatus::Failure("DeInitialize", teardown);
    if (!status.IsOk())
        return status;

    const CFileExtentRedisSender::CCounters counters = sender->Counters();
    summary.Add("agent", AgentId(m_settings.Agent));
    summary.Add("files", files);
    summary.AddRate(restore.Events(), elapsed.count());
    summary.Add("sent", counters.Sent);
    summary.Add("failed-sends", counters.Failed);
    summary.Add("kept-for-later", keptForLater);
    summary.Add("incarnation", counters.Incarnation);
    return CToolStatus::Ok();
}
