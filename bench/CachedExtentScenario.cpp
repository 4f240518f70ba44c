#include "CachedExtentScenario.h"

#include "AllocationCounter.h"
#include "BenchDirectory.h"
#include "BenchPlan.h"
#include "InMemoryHost.h"
#include "LibraryRestoreHost.h"
#include "RatioTable.h"
#include "RestoreWorkload.h"
#include "Rounds.h"
#include "Stopwatch.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace
{
// Events per sample on one record: every bit of the largest record once, the small ones in a loop.
const std::size_t kEventsPerSample = 65536;

// One file of `extents` extents, reported and left in the cache of its own handler.
struct CCachedRecord
{
    explicit CCachedRecord(std::size_t extents, const std::string& dir) : workload(1, extents)
    {
        host.Initialize(dir);
        workload.Replay(host);
    }

    CRestoreWorkload workload;
    CLibraryRestoreHost host;
    // Per sample; the first is the warm-up, where a first event may set something up once.
    std::vector<std::uint64_t> allocations;

    double MostAllocationsPerEvent() const
    {
        const std::uint64_t most = *std::max_element(allocations.begin() + 1, allocations.end());
        return static_cast<double>(most) / kEventsPerSample;
    }
};

void RunRecordSizes(const CBenchPlan& plan, CRatioTable& table)
{
    const CBenchDirectory dir;
    const std::size_t sizes[] = {16, 1024, 65536};
    std::vector<std::unique_ptr<CCachedRecord>> records;
    CRounds rounds("2 OnExtentItem on a cached record of 16, 1024, 65536");
    std::vector<std::size_t> contestants;
    for (std::size_t extents : sizes)
    {
        records.push_back(std::make_unique<CCachedRecord>(extents, dir.NewSubdirectory(std::to_string(extents))));
        CCachedRecord& record = *records.back();
        contestants.push_back(rounds.Add(std::to_string(extents), [&record, extents] {
            const CStopwatch watch;
            const CAllocationCounter allocations;
            for (std::size_t event = 0; event < kEventsPerSample; ++event)
                record.host.OnExtent(record.workload, 0, event % extents);
            const double seconds = watch.Seconds();
            record.allocations.push_back(allocations.Count());
            return CRounds::Sample{seconds, static_cast<double>(kEventsPerSample)};
        }));
    }
    rounds.RunRounds(plan.Rounds(9), 1);
    for (auto& record : records)
        record->host.DeInitialize();

    for (std::size_t index = 0; index < records.size(); ++index)
    {
        const std::string extents = std::to_string(sizes[index]);
        const bool needsNone = sizes[index] <= 1024;
        table.Add({"2 OnExtentItem cached, " + extents + " extents",
                   CRatioTable::Micros(rounds.PerUnit(contestants[index]), "event"), "-", "heap allocations/event",
                   records[index]->MostAllocationsPerEvent(),
                   needsNone ? CRatioTable::Target::AtMost(0) : CRatioTable::Target::None(), rounds.Rounds()});
    }
    table.Add({"2 OnExtentItem cached, 65536 vs 16", CRatioTable::Micros(rounds.PerUnit(contestants[2]), "event"),
               "16 extents " + CRatioTable::Micros(rounds.PerUnit(contestants[0]), "event"), "cost 65536/16",
               rounds.Ratio(contestants[2], contestants[0]), CRatioTable::Target::AtMost(1.2), rounds.Rounds()});
}

// Every file reported and cached, then passes of extent events over all of them, as a restore's
// events keep arriving for files the cache holds.
void RunSteadyState(std::size_t files, std::size_t extents, const CBenchPlan& plan, CRatioTable& table)
{
    const CBenchDirectory dir;
    const CRestoreWorkload workload(files, extents);
    const double events = static_cast<double>(workload.ExtentEvents());
    CLibraryRestoreHost ours;
    CInMemoryHost memory;
    ours.Initialize(dir.Path());
    for (std::size_t file = 0; file < files; ++file)
    {
        ours.OnFile(workload, file);
        memory.OnFile(workload, file);
    }
    auto pass = [&](auto& host) {
        const CStopwatch watch;
        for (std::size_t file = 0; file < files; ++file)
            for (std::size_t extent = 0; extent < extents; ++extent)
                host.OnExtent(workload, file, extent);
        return CRounds::Sample{watch.Seconds(), events};
    };
    CRounds rounds("2 steady-state extent events " + workload.Label());
    const std::size_t oursIndex = rounds.Add("ours", [&] { return pass(ours); });
    const std::size_t memoryIndex = rounds.Add("in-memory", [&] { return pass(memory); });
    rounds.RunRounds(plan.Rounds(9), 1);
    ours.DeInitialize();

    table.Add({"2 steady-state events " + workload.Label(), CRatioTable::Micros(rounds.PerUnit(oursIndex), "event"),
               "in-memory " + CRatioTable::Micros(rounds.PerUnit(memoryIndex), "event"), "ours/in-memory",
               rounds.Ratio(oursIndex, memoryIndex), CRatioTable::Target::AtMost(10), rounds.Rounds()});
}
} // namespace

void CCachedExtentScenario::Run(const CBenchPlan& plan, CRatioTable& table)
{
    RunRecordSizes(plan, table);
    RunSteadyState(2000, 16, plan, table);
    RunSteadyState(64, 1024, plan, table);
}
