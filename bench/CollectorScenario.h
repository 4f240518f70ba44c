#pragma once

class CBenchPlan;
class CRatioTable;

// 6. The collector in the host's process: what an agent's restore of 20 000 x 16 sends (one XDR
// message per record), received in batches of 500, against the same records decoded and upserted
// into a plain restore table: the cost of keeping every agent's record and merging them.
class CCollectorScenario
{
public:
    static void Run(const CBenchPlan& plan, CRatioTable& table);
};
