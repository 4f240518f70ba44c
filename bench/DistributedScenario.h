#pragma once

class CBenchPlan;
class CRatioTable;

// 5. Distributed restores to a collector that only counts, by block size, beside the ordinary
// restore of the same shape.
class CDistributedScenario
{
public:
    static void Run(const CBenchPlan& plan, CRatioTable& table);
};
