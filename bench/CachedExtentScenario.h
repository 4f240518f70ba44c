#pragma once

class CBenchPlan;
class CRatioTable;

// 2. OnExtentItem on records already in the cache: cost by record size, heap allocations per
// event, and steady-state events against the in-memory bound.
class CCachedExtentScenario
{
public:
    static void Run(const CBenchPlan& plan, CRatioTable& table);
};
