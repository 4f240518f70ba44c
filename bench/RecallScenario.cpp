#include "RecallScenario.h"

#include "BenchDirectory.h"
#include "BenchPlan.h"
#include "LibraryRecallHost.h"
#include "RatioTable.h"
#include "RecallFloorHost.h"
#include "RecalledItemsSql.h"
#include "RestoreWorkload.h"
#include "RestoredItemsCheck.h"
#include "Rounds.h"

void CRecallScenario::Run(const CBenchPlan& plan, CRatioTable& table)
{
    const CRestoreWorkload workload(500, 256);
    const double events = static_cast<double>(workload.ExtentEvents());
    const CBenchDirectory dir;
    CRounds rounds("4 recall manager and its floor " + workload.Label());

    const std::size_t recall = rounds.Add("recall", [&] {
        const std::string db = dir.NewSubdirectory("recall");
        CLibraryRecallHost host;
        const CRounds::Sample sample{workload.TimeWholeRun(host, [&] { host.Initialize(db); }), events};
        CRestoredItemsCheck::ExpectRestored(db + "/" + CRestoredItemsCheck::RecallDbName(), CRecalledItemsSql::Table(),
                                            workload.Files(), "the recall manager");
        return sample;
    });
    const std::size_t floor = rounds.Add("floor", [&] {
        const std::string db = dir.NewSubdirectory("floor") + "/floor.db";
        CRecallFloorHost host;
        const CRounds::Sample sample{workload.TimeWholeRun(host, [&] { host.Open(db); }), events};
        CRestoredItemsCheck::ExpectRestored(db, CRecalledItemsSql::Table(), workload.Files(), "the recall floor");
        return sample;
    });
    rounds.RunRounds(plan.Rounds(9), 1);
    table.Add({"4 recall manager " + workload.Label(), CRatioTable::Micros(rounds.PerUnit(recall), "event"),
               "floor " + CRatioTable::Micros(rounds.PerUnit(floor), "event"), "ours/floor",
               rounds.Ratio(recall, floor), CRatioTable::Target::AtMost(1.5), rounds.Rounds()});
}
