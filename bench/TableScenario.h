#pragma once

class CBenchPlan;
class CRatioTable;

// 3. The table passes over 100 000 records: Flush of what a restore left dirty, UpdateStatus, and
// GetAllRestoredItems, each against the SQL a host would write for the same work.
class CTableScenario
{
public:
    static void Run(const CBenchPlan& plan, CRatioTable& table);
};
