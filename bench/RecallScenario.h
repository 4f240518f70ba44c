#pragma once

class CBenchPlan;
class CRatioTable;

// 4. The recall manager against the restore handler on the same shape, Initialize to DeInitialize.
class CRecallScenario
{
public:
    static void Run(const CBenchPlan& plan, CRatioTable& table);
};
