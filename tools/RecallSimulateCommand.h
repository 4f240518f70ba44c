#pragma once

#include "SimulationPlan.h"
#include "ToolStatus.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>

class CFileExtentRecallDBManager;

// `fileextentctl recall simulate`: file recalls through the recall facade, then a summary
// counted from the recall database.
class CRecallSimulateCommand
{
public:
    explicit CRecallSimulateCommand(CLI::App& recall);

    bool IsChosen() const { return m_app->parsed(); }
    CToolStatus Run();

private:
    struct CTally
    {
        std::uint64_t Files = 0;
        std::uint64_t Recalled = 0;
        std::uint64_t Failed = 0;
        std::uint64_t Skipped = 0;
        std::uint64_t Progressing = 0;
        std::uint64_t ExtentsDone = 0;
    };

    CToolStatus RecallFile(CFileExtentRecallDBManager& manager, const CSimulatedFile& file);
    CToolStatus RecallExtents(CFileExtentRecallDBManager& manager, const CSimulatedFile& file);
    CToolStatus Finish(CFileExtentRecallDBManager& manager, const CSimulatedFile& file);
    CToolStatus Tally(CFileExtentRecallDBManager& manager, CTally& tally);

    CLI::App* m_app;
    std::string m_directory;
    CSimulationOptions m_plan;
    int m_verbosity = 0;
    std::uint64_t m_events = 0;
};
