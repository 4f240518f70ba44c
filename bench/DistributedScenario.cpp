#include "DistributedScenario.h"

#include "BenchDirectory.h"
#include "BenchPlan.h"
#include "LibraryRestoreHost.h"
#include "RatioTable.h"
#include "RestoreWorkload.h"
#include "Rounds.h"

#include <stdexcept>
#include <vector>

void CDistributedScenario::Run(const CBenchPlan& plan, CRatioTable& table)
{
    const CRestoreWorkload workload(2000, 16);
    const double events = static_cast<double>(workload.ExtentEvents());
    const CBenchDirectory dir;
    CRounds rounds("5 distributed restore " + workload.Label() + ", blocks 0, 16, 256");

    const std::size_t ordinary = rounds.Add("ordinary", [&] {
        return CRounds::Sample{CLibraryRestoreHost::TimeCheckedRestore(workload, dir.NewSubdirectory("ordinary")),
                               events};
    });
    const unsigned int blocks[] = {0, 16, 256};
    std::vector<std::size_t> distributed;
    for (unsigned int block : blocks)
    {
        distributed.push_back(rounds.Add("block " + std::to_string(block), [&, block] {
            const std::string db = dir.NewSubdirectory("block" + std::to_string(block));
            CLibraryRestoreHost host;
            const CRounds::Sample sample{
                workload.TimeWholeRun(host, [&] { host.InitializeDistributed(db, block); }), events};
            // Every record has to reach the collector at least once.
            const std::uint64_t atLeast = block <= 1 ? workload.Files() : workload.Files() / block;
            if (host.MessagesSent() < atLeast)
                throw std::runtime_error("the collector got " + std::to_string(host.MessagesSent()) + " messages");
            return sample;
        }));
    }
    rounds.RunRounds(plan.Rounds(7), 1);

    const std::string ordinaryCost = "ordinary " + CRatioTable::Micros(rounds.PerUnit(ordinary), "event");
    for (std::size_t index = 0; index < distributed.size(); ++index)
        table.Add({"5 distributed " + workload.Label() + ", block " + std::to_string(blocks[index]),
                   CRatioTable::Micros(rounds.PerUnit(distributed[index]), "event"), ordinaryCost,
                   "distributed/ordinary", rounds.Ratio(distributed[index], ordinary), CRatioTable::Target::None(),
                   rounds.Rounds()});
}
