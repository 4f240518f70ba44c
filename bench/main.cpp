#include "BenchPlan.h"
#include "CachedExtentScenario.h"
#include "CollectorScenario.h"
#include "DistributedScenario.h"
#include "MachineInfo.h"
#include "OrdinaryRestoreScenario.h"
#include "RatioTable.h"
#include "RecallScenario.h"
#include "Stopwatch.h"
#include "TableScenario.h"

#include <cstdio>
#include <exception>
#include <iostream>

// Every scenario runs the library and its baselines in the same process, interleaved round by
// round; the table at the end holds the medians and their ratios.
int main(int argc, char** argv)
{
    try
    {
        const CBenchPlan plan(argc, argv);
        CRatioTable table;
        const CStopwatch total;
        std::fprintf(stderr, "FileExtent benchmark%s\n", plan.Quick() ? " (quick: too few rounds to quote)" : "");
        if (plan.Runs(1))
            COrdinaryRestoreScenario::Run(plan, table);
        if (plan.Runs(2))
            CCachedExtentScenario::Run(plan, table);
        if (plan.Runs(3))
            CTableScenario::Run(plan, table);
        if (plan.Runs(4))
            CRecallScenario::Run(plan, table);
        if (plan.Runs(5))
            CDistributedScenario::Run(plan, table);
        if (plan.Runs(6))
            CCollectorScenario::Run(plan, table);
        std::cout << '\n' << CMachineInfo::Describe() << '\n';
        std::cout << "costs: medians over rounds; ratios: median of the per-round ratios\n"
                  << "µs/event: a whole run over its extent events; µs/record: Flush over the records it wrote\n\n";
        table.Print(std::cout);
        std::cout.flush();
        std::fprintf(stderr, "total %.0f s\n", total.Seconds());
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "fileextent_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
