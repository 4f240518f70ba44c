#include "OrdinaryRestoreScenario.h"

#include "BenchDirectory.h"
#include "BenchPlan.h"
#include "InMemoryHost.h"
#include "LibraryRestoreHost.h"
#include "NaiveSqliteHost.h"
#include "RatioTable.h"
#include "RestoreWorkload.h"
#include "RestoredItemsCheck.h"
#include "RestoredItemsSql.h"
#include "Rounds.h"

#include <stdexcept>

namespace
{
struct CShape
{
    std::size_t files;
    std::size_t extents;
    int rounds;
    CRatioTable::Target versusNaive;
};

void RunShape(const CShape& shape, const CBenchPlan& plan, CRatioTable& table)
{
    const CRestoreWorkload workload(shape.files, shape.extents);
    const double events = static_cast<double>(workload.ExtentEvents());
    const CBenchDirectory dir;
    CRounds rounds("1 ordinary restore " + workload.Label());

    const std::size_t ours = rounds.Add("ours", [&] {
        return CRounds::Sample{CLibraryRestoreHost::TimeCheckedRestore(workload, dir.NewSubdirectory("ours")), events};
    });
    const std::size_t naive = rounds.Add("naive", [&] {
        const std::string db = dir.NewSubdirectory("naive") + "/naive.db";
        CNaiveSqliteHost host;
        const CRounds::Sample sample{workload.TimeWholeRun(host, [&] { host.Open(db); }), events};
        CRestoredItemsCheck::ExpectRestored(db, CRestoredItemsSql::Table(), workload.Files(), "the naive host");
        return sample;
    });
    const std::size_t memory = rounds.Add("in-memory", [&] {
        CInMemoryHost host;
        const CRounds::Sample sample{workload.TimeWholeRun(host, [] {}), events};
        if (host.Complete() != workload.Files())
            throw std::runtime_error("the in-memory host lost files");
        return sample;
    });
    rounds.RunRounds(plan.Rounds(shape.rounds));

    const std::string label = "1 restore " + workload.Label();
    const std::string oursCost = CRatioTable::Micros(rounds.PerUnit(ours), "event");
    table.Add({label, oursCost, "naive " + CRatioTable::Micros(rounds.PerUnit(naive), "event"), "naive/ours",
               rounds.Ratio(naive, ours), shape.versusNaive, rounds.Rounds()});
    table.Add({label, oursCost, "in-memory " + CRatioTable::Micros(rounds.PerUnit(memory), "event"), "ours/in-memory",
               rounds.Ratio(ours, memory), CRatioTable::Target::None(), rounds.Rounds()});
}
} // namespace

void COrdinaryRestoreScenario::Run(const CBenchPlan& plan, CRatioTable& table)
{
    const CShape shapes[] = {
        {2000, 16, 7, CRatioTable::Target::AtLeast(20)},
        {64, 1024, 5, CRatioTable::Target::None()},
        {1, 65536, 5, CRatioTable::Target::None()},
        {100000, 4, 3, CRatioTable::Target::AtLeast(10)},
    };
    for (const CShape& shape : shapes)
        RunShape(shape, plan, table);
}
