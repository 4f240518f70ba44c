#include "OrdinaryRestoreScenario.h"

#include "BenchDirectory.h"
#include "BenchPlan.h"
#include "InMemoryHost.h"
#include "LibraryRestoreHost.h"
#include "NaiveSqliteHost.h"
#include "RatioTable.h"
#include "RestoreFloorHost.h"
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
    // The default handler (a new file's row written at once) against the least its promise needs.
    CRatioTable::Target atOnceVersusFloor;
    // The handler that writes new rows with the next pass, against the naive host.
    CRatioTable::Target nextPassVersusNaive;
};

// A raw SQLite host's whole run into a database of its own, checked like the library's.
template <class Host>
CRounds::Sample TimeCheckedHost(const CRestoreWorkload& workload, const std::string& db, const std::string& who)
{
    Host host;
    const double seconds = workload.TimeWholeRun(host, [&] { host.Open(db); });
    CRestoredItemsCheck::ExpectRestored(db, CRestoredItemsSql::Table(), workload.Files(), who);
    return CRounds::Sample{seconds, static_cast<double>(workload.ExtentEvents())};
}

void RunShape(const CShape& shape, const CBenchPlan& plan, CRatioTable& table)
{
    const CRestoreWorkload workload(shape.files, shape.extents);
    const double events = static_cast<double>(workload.ExtentEvents());
    const CBenchDirectory dir;
    CRounds rounds("1 ordinary restore " + workload.Label() + ", both modes");

    const std::size_t atOnce = rounds.Add("at once", [&] {
        return CRounds::Sample{CLibraryRestoreHost::TimeCheckedRestore(workload, dir.NewSubdirectory("at-once")),
                               events};
    });
    const std::size_t nextPass = rounds.Add("next pass", [&] {
        return CRounds::Sample{CLibraryRestoreHost::TimeCheckedRestore(workload, dir.NewSubdirectory("next-pass"),
                                                                       CLibraryRestoreHost::WithNextPass()),
                               events};
    });
    const std::size_t floor = rounds.Add("floor", [&] {
        return TimeCheckedHost<CRestoreFloorHost>(workload, dir.NewSubdirectory("floor") + "/floor.db",
                                                  "the restore floor");
    });
    const std::size_t naive = rounds.Add("naive", [&] {
        return TimeCheckedHost<CNaiveSqliteHost>(workload, dir.NewSubdirectory("naive") + "/naive.db",
                                                 "the naive host");
    });
    const std::size_t memory = rounds.Add("in-memory", [&] {
        CInMemoryHost host;
        const CRounds::Sample sample{workload.TimeWholeRun(host, [] {}), events};
        if (host.Complete() != workload.Files())
            throw std::runtime_error("the in-memory host lost files");
        return sample;
    });
    rounds.RunRounds(plan.Rounds(shape.rounds));

    auto cost = [&](std::size_t contestant) { return CRatioTable::Micros(rounds.PerUnit(contestant), "event"); };
    const std::string atOnceLabel = "1 restore " + workload.Label() + ", at once";
    const std::string nextPassLabel = "1 restore " + workload.Label() + ", next pass";
    const CRatioTable::Target none = CRatioTable::Target::None();
    table.Add({atOnceLabel, cost(atOnce), "floor " + cost(floor), "ours/floor", rounds.Ratio(atOnce, floor),
               shape.atOnceVersusFloor, rounds.Rounds()});
    table.Add({atOnceLabel, cost(atOnce), "naive " + cost(naive), "naive/ours", rounds.Ratio(naive, atOnce), none,
               rounds.Rounds()});
    table.Add({atOnceLabel, cost(atOnce), "in-memory " + cost(memory), "ours/in-memory", rounds.Ratio(atOnce, memory),
               none, rounds.Rounds()});
    table.Add({nextPassLabel, cost(nextPass), "naive " + cost(naive), "naive/ours", rounds.Ratio(naive, nextPass),
               shape.nextPassVersusNaive, rounds.Rounds()});
    table.Add({nextPassLabel, cost(nextPass), "in-memory " + cost(memory), "ours/in-memory",
               rounds.Ratio(nextPass, memory), none, rounds.Rounds()});
}
} // namespace

void COrdinaryRestoreScenario::Run(const CBenchPlan& plan, CRatioTable& table)
{
    typedef CRatioTable::Target Target;
    const CShape shapes[] = {
        {2000, 16, 7, Target::AtMost(1.3), Target::AtLeast(20)},
        {64, 1024, 5, Target::None(), Target::None()},
        {1, 65536, 5, Target::None(), Target::None()},
        {100000, 4, 3, Target::AtMost(1.3), Target::AtLeast(10)},
    };
    for (const CShape& shape : shapes)
        RunShape(shape, plan, table);
}
