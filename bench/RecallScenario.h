#pragma once

class CBenchPlan;
class CRatioTable;

// 4. The recall manager against the least its write rules need (the floor), on the same
// workload, Initialize to DeInitialize.
class CRecallScenario
{
public:
    static void Run(const CBenchPlan& plan, CRatioTable& table);
};
