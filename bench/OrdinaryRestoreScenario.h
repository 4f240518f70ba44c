#pragma once

class CBenchPlan;
class CRatioTable;

// 1. Whole ordinary restores, Initialize to DeInitialize, against a naive SQLite host and the
// in-memory bound, per extent event.
class COrdinaryRestoreScenario
{
public:
    static void Run(const CBenchPlan& plan, CRatioTable& table);
};
