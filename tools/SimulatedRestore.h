#pragma once

#include "SimulationPlan.h"
#include "ToolStatus.h"

#include <cstdint>
#include <functional>
#include <string>

namespace FILEEXTENT_RESTORE
{
class CFileExtentRestoreHandler;
}

// Sends the files of a plan to a restore handler as a host does: a container report, then the
// extents in order, with a flush every ExtentsBetweenFlushes extent events so that an interrupted
// run leaves its progress in the table (records otherwise reach it only on eviction or at the end).
//
// Resuming, a file the handler knows gets only its missing extents, without a new container report
// (that would clear the file's bits); a file it does not know is sent whole.
class CSimulatedRestore
{
public:
    static const std::uint64_t ExtentsBetweenFlushes = 1000;
    // What was being done and the library's error: the command's failure line, or Ok to go on.
    typedef std::function<CToolStatus(const std::string& what, const CZuError& error)> FailureFn;

    CSimulatedRestore(FILEEXTENT_RESTORE::CFileExtentRestoreHandler& handler, std::uint64_t extentsPerFile,
                      FailureFn failure);

    // Kills the process with SIGKILL right after this many extent events (0: never).
    void CrashAfter(std::uint64_t extentEvents) { m_crashAfter = extentEvents; }
    // One agent of `agents` restoring its part of the plan: the files it owns whole, and its
    // share of the extents of the files every agent restores together (each sends their container
    // report). Together the agents send every event of the plan.
    void RestorePartOf(std::uint64_t agent, std::uint64_t agents);
    // Whether the agent takes part in the file (always, with no parts set).
    bool TakesPart(const CSimulatedFile& file) const;
    // Files restored together by every agent: about one in five.
    static bool IsShared(const CSimulatedFile& file, std::uint64_t agents);

    CToolStatus Send(const CSimulatedFile& file);
    CToolStatus Resume(const CSimulatedFile& file);

    std::uint64_t Events() const { return m_events; }
    std::uint64_t ResumedFiles() const { return m_resumedFiles; }
    // Extents of known files that had landed before, and were not sent again.
    std::uint64_t LandedExtents() const { return m_landed; }
    // Extents of known files that were missing, and were sent again.
    std::uint64_t ResentExtents() const { return m_resent; }

private:
    bool Sends(const CSimulatedFile& file, std::uint64_t extent) const;
    std::uint64_t PlannedExtents(const CSimulatedFile& file) const;
    CToolStatus SendExtent(const CSimulatedFile& file, std::uint64_t extent);
    CToolStatus Check(const std::string& what, const CZuError& error) const;
    CToolStatus ResendMissing(const CSimulatedFile& file);

    FILEEXTENT_RESTORE::CFileExtentRestoreHandler& m_handler;
    std::uint64_t m_extents;
    FailureFn m_failure;
    std::uint64_t m_crashAfter = 0;
    std::uint64_t m_agent = 0;
    std::uint64_t m_agents = 1;
    std::uint64_t m_events = 0;
    std::uint64_t m_extentEvents = 0;
    std::uint64_t m_resumedFiles = 0;
    std::uint64_t m_landed = 0;
    std::uint64_t m_resent = 0;
};
