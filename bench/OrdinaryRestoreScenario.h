#pragma once

class CBenchPlan;
class CRatioTable;

// 1. Whole ordinary restores, Initialize to DeInitialize, per extent event: the handler that
// writes a new file's row at once against the least that promise needs (the floor), and the
// handler that writes it with the next pass against a naive SQLite host; both against the
// in-memory bound.
class COrdinaryRestoreScenario
{
public:
    static void Run(const CBenchPlan& plan, CRatioTable& table);
};
