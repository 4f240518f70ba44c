#pragma once

#include "SimulationPlan.h"
#include "ToolStatus.h"

#include "restore/FileExtentRestoreOptions.h"

#include <cstdint>
#include <string>

class CSummary;

// One agent process of a distributed restore over Redis: its part of the plan through a restore
// handler whose two callbacks are a Redis sender. A send that fails (Redis away, a timeout) is not
// the end of the run: the library keeps the records and the next flush sends them again; at the
// end the agent flushes until everything went or RetrySeconds passed.
class CRedisAgentRun
{
public:
    static constexpr unsigned RetrySeconds = 60;

    struct CSettings
    {
        std::string Redis;
        std::string Job;
        std::uint64_t Agent = 0;
        std::uint64_t Agents = 1;
        unsigned int Block = 0;
        FILEEXTENT_RESTORE::CFileExtentRestoreOptions Options;
    };

    static std::string AgentId(std::uint64_t agent);

    CRedisAgentRun(const CSettings& settings, const CSimulationOptions& plan);
    CToolStatus Run(const std::string& directory, CSummary& summary);

private:
    const CSettings m_settings;
    const CSimulationOptions m_plan;
};
