#pragma once

#include "DirectoryLock.h"
#include "SimulationPlan.h"
#include "ToolDirectory.h"
#include "ToolStatus.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>

// The options several commands share, declared once so they read and check the same everywhere.
namespace CommandOptions
{
extern const char* const DefaultDirectory; // "./fileextent-data"

enum class OutputFormat
{
    Table,
    Json,
    Csv
};

// Digits only, in [low, high]: negative, fractional or out-of-range text is a usage error that
// CLI11 reports with the option's name.
CLI::Validator WholeNumber(std::uint64_t low, std::uint64_t high);
void AddDirectory(CLI::App& app, std::string& directory, const std::string& what);
void AddVerbose(CLI::App& app, int& verbosity);
// --files, --extents, --fail-rate, --skip-rate, --seed (and --tasks when `tasks` is true).
void AddPlan(CLI::App& app, CSimulationOptions& plan, bool tasks);
// The shares of failed and skipped files must leave room for each other.
std::string CheckPlan(const CSimulationOptions& plan);
// The start of every simulation: a plan that holds together, a directory it may write in, and the
// directory's lock, held by `lock` from then on.
CToolStatus PrepareSimulation(const CSimulationOptions& plan, const CToolDirectory& dir, CDirectoryLock& lock);
void AddFormat(CLI::App& app, OutputFormat& format);
// --status NAME, one of SUCCESS, FAILED, SKIPPED, PROGRESSING in any letter case; -1 when absent.
void AddStatus(CLI::App& app, int& status);
CLI::Option* AddLimit(CLI::App& app, std::uint64_t& limit);
} // namespace CommandOptions
