#include "RecallScenario.h"

#include "BenchDirectory.h"
#include "BenchPlan.h"
#include "LibraryRecallHost.h"
#include "LibraryRestoreHost.h"
#include "RatioTable.h"
#include "RestoreWorkload.h"
#include "RestoredItemsCheck.h"
#include "Rounds.h"

void CRecallScenario::Run(const CBenchPlan& plan, CRatioTable& table)
{
    const CRestoreWorkload workload(500, 256);
    const double events = static_cast<double>(workload.ExtentEvents());
    const CBenchDirectory dir;
    CRounds rounds("4 recall and restore " + workload.Label());

    const std::size_t recall = rounds.Add("recall", [&] {
        const std::string db = dir.NewSubdirectory("recall");
        CLibraryRecallHost host;
        const CRounds::Sample sample{workload.TimeWholeRun(host, [&] { host.Initialize(db); }), events};
        CRestoredItemsCheck::ExpectRestored(db + "/" + CRestoredItemsCheck::RecallDbName(), "RecalledItems",
                                            workload.Files(), "the recall manager");
        return sample;
    });
    const std::size_t restore = rounds.Add("restore", [&] {
        return CRounds::Sample{CLibraryRestoreHost::TimeCheckedRestore(workload, dir.NewSubdirectory("restore")),
                               events};
    });
    rounds.RunRounds(plan.Rounds(7), 1);
    table.Add({"4 recall manager " + workload.Label(), CRatioTable::Micros(rounds.PerUnit(recall), "event"),
               "restore handler " + CRatioTable::Micros(rounds.PerUnit(restore), "event"), "recall/restore",
               rounds.Ratio(recall, restore), CRatioTable::Target::AtMost(1.5), rounds.Rounds()});
}
