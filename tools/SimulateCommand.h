#pragma once

#include "AgentFleet.h"
#include "SimulationPlan.h"
#include "ToolStatus.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>

namespace FILEEXTENT_RESTORE
{
class CFileExtentRestoreHandler;
}
namespace FILEEXTENT_COLLECTOR
{
class CCollectorCallbacks;
class CFileExtentCollector;
}
class CSimulatedRestore;
class CToolDirectory;

// `fileextentctl simulate`: a whole restore through the restore facade, ordinary or distributed,
// then a summary counted from what was stored. With --resume it completes an interrupted restore
// in the same directory; --crash-after interrupts one on purpose.
class CSimulateCommand
{
public:
    explicit CSimulateCommand(CLI::App& parent);

    bool IsChosen() const { return m_app->parsed(); }
    CToolStatus Run();

private:
    struct CTally
    {
        std::uint64_t Files = 0;
        std::uint64_t Restored = 0;
        std::uint64_t Failed = 0;
        std::uint64_t Skipped = 0;
        std::uint64_t Progressing = 0;
        std::uint64_t ExtentsDone = 0;
    };

    CToolStatus CheckOptions() const;
    CToolStatus RunAgent();
    CToolStatus RunAgents();
    CAgentFleet::CAgent AgentProcess(const CToolDirectory& dir, std::uint64_t agent) const;
    CToolStatus Prepare(const std::string& directory);
    CToolStatus Finish(FILEEXTENT_RESTORE::CFileExtentRestoreHandler& handler,
                       FILEEXTENT_COLLECTOR::CFileExtentCollector& collector,
                       const FILEEXTENT_COLLECTOR::CCollectorCallbacks& link, CTally& tally);
    CToolStatus TallyLocal(FILEEXTENT_RESTORE::CFileExtentRestoreHandler& handler, CTally& tally);
    template <class Enumerable>
    static CToolStatus Tally(Enumerable& source, CTally& tally, const char* what);
    CToolStatus TallyCollector(FILEEXTENT_COLLECTOR::CFileExtentCollector& collector, CTally& tally);
    CToolStatus SendFailure(const std::string& what, const CZuError& error,
                            const FILEEXTENT_COLLECTOR::CCollectorCallbacks& link);
    void WriteSummary(const CTally& tally, double seconds, const std::string& dbPath,
                      const FILEEXTENT_COLLECTOR::CFileExtentCollector& collector,
                      const FILEEXTENT_COLLECTOR::CCollectorCallbacks& link, const CSimulatedRestore& restore) const;

    CLI::App* m_app;
    std::string m_directory;
    CSimulationOptions m_plan;
    bool m_distributed = false;
    unsigned int m_block = 0;
    std::string m_newRecords = "at-once";
    std::string m_redis;
    std::string m_job = "demo";
    std::uint64_t m_agents = 1;
    std::int64_t m_agentIndex = -1;
    bool m_resume = false;
    std::uint64_t m_crashAfter = 0;
    int m_verbosity = 0;
};
