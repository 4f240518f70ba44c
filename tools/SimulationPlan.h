#pragma once

#include "ToolStatus.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct CSimulationOptions
{
    std::int64_t Files = 2000;
    std::int64_t Extents = 64;
    std::int64_t Tasks = 4;
    double FailRate = 0.05;
    double SkipRate = 0.02;
    std::uint64_t Seed = 1;
};

// How a simulated file ends.
enum class FileOutcome : std::uint8_t
{
    Complete,       // every extent reported
    Incomplete,     // one extent never reported
    ReportedFailed, // the last report carries FAILED and an error code
    Skipped         // reported SKIPPED, no extent
};

// Everything the simulation says about one file. Paths sort in file order (the write-back
// caches evict the smallest keys first, so the files still being reported are never evicted).
struct CSimulatedFile
{
    std::string Path;
    std::uint32_t Version = 0;
    std::string RestoredPath;
    std::int32_t TaskId = 0;
    FileOutcome Outcome = FileOutcome::Complete;
    std::uint64_t MissingExtent = 0; // for Incomplete
    std::uint32_t ErrorCode = 0;     // for ReportedFailed
    std::uint64_t Attributes[5] = {};
    bool DeleteItem = false;
    bool RenameItem = false;
    std::string NewName;
    std::uint64_t Random = 0; // a per-file random number for whatever else a command needs
};

// A reproducible plan of a restore: the same options and seed give the same files. The failed
// and skipped shares are exact (rounded) counts spread over the files by the seed.
class CSimulationPlan
{
public:
    explicit CSimulationPlan(const CSimulationOptions& options);

    std::uint64_t FileCount() const { return m_outcomes.size(); }
    std::uint64_t ExtentsPerFile() const { return m_extents; }
    CSimulatedFile File(std::uint64_t index) const;
    // Calls `fn` for every file in order, with a progress bar named `label`; stops at the first failure.
    CToolStatus ForEachFile(const std::string& label, const std::function<CToolStatus(const CSimulatedFile&)>& fn) const;

private:
    std::uint64_t m_extents;
    std::uint64_t m_tasks;
    std::uint64_t m_seed;
    std::vector<FileOutcome> m_outcomes;
};
