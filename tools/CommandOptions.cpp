#include "CommandOptions.h"

#include "restore/records/RestoreStatus.h"

#include <strings.h>

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace CommandOptions
{
const char* const DefaultDirectory = "./fileextent-data";

namespace
{
const char* const StatusNames[] = {"SUCCESS", "FAILED", "SKIPPED", "PROGRESSING"};

int StatusFromName(const std::string& name)
{
    for (int status = FILEEXTENT_RESTORE::SUCCESS; status <= FILEEXTENT_RESTORE::PROGRESSING; ++status)
        if (::strcasecmp(name.c_str(), FILEEXTENT_RESTORE::RestoreStatusToString.at(
                                           static_cast<FILEEXTENT_RESTORE::RestoreStatus>(status))) == 0)
            return status;
    return -1;
}
bool FormatFromName(const std::string& name, OutputFormat& format)
{
    const std::pair<const char*, OutputFormat> formats[] = {
        {"table", OutputFormat::Table}, {"json", OutputFormat::Json}, {"csv", OutputFormat::Csv}};
    for (const auto& known : formats)
        if (::strcasecmp(name.c_str(), known.first) == 0)
        {
            format = known.second;
            return true;
        }
    return false;
}

CLI::Validator Rate()
{
    return CLI::Validator(
        [](std::string& text) {
            double value = 0;
            std::size_t used = 0;
            try
            {
                value = std::stod(text, &used);
            }
            catch (const std::exception&)
            {
                used = 0;
            }
            if (used == 0 || used != text.size() || !(value >= 0.0 && value <= 1.0))
                return "must be a share between 0 and 1, not " + text;
            return std::string();
        },
        "RATE");
}
} // namespace

// Digits only, in [low, high]: no sign, no fraction, no exponent, nothing a conversion would wrap
// (an unsigned option given -1 would otherwise become 2^64-1).
CLI::Validator WholeNumber(std::uint64_t low, std::uint64_t high)
{
    return CLI::Validator(
        [low, high](std::string& text) {
            const std::string range = "a whole number from " + std::to_string(low) + " to " + std::to_string(high);
            if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
                return "must be " + range + ", not '" + text + "'";
            std::uint64_t value = 0;
            for (char digit : text)
            {
                const std::uint64_t d = static_cast<std::uint64_t>(digit - '0');
                if (value > (UINT64_MAX - d) / 10)
                    return "must be " + range + ", not '" + text + "'";
                value = value * 10 + d;
            }
            if (value < low || value > high)
                return "must be " + range + ", not '" + text + "'";
            return std::string();
        },
        "");
}

void AddDirectory(CLI::App& app, std::string& directory, const std::string& what)
{
    directory = DefaultDirectory;
    app.add_option("--dir", directory, what)->type_name("DIR")->capture_default_str();
}

void AddVerbose(CLI::App& app, int& verbosity)
{
    verbosity = 0;
    app.add_flag("-v,--verbose", verbosity,
                 "More detail in fileextentctl.log: -v adds batch sends (level 3), -vv SQL traces (level 5)");
}

void AddPlan(CLI::App& app, CSimulationOptions& plan, bool tasks)
{
    app.add_option("--files", plan.Files, "Number of files")->check(WholeNumber(0, 10000000))->capture_default_str();
    app.add_option("--extents", plan.Extents, "Extents per file")
        ->check(WholeNumber(0, 1000000))
        ->capture_default_str();
    if (tasks)
        app.add_option("--tasks", plan.Tasks, "Number of restore tasks the files are spread over")
            ->check(WholeNumber(1, 1000000))
            ->capture_default_str();
    app.add_option("--fail-rate", plan.FailRate,
                   "Share of files that fail (half left incomplete, half reported failed), 0..1")
        ->check(Rate())
        ->capture_default_str();
    app.add_option("--skip-rate", plan.SkipRate, "Share of files reported skipped, 0..1")
        ->check(Rate())
        ->capture_default_str();
    app.add_option("--seed", plan.Seed, "Seed of the simulation; the same seed gives the same run")
        ->check(WholeNumber(0, UINT64_MAX))
        ->capture_default_str();
}

std::string CheckPlan(const CSimulationOptions& plan)
{
    if (plan.FailRate + plan.SkipRate > 1.0 + 1e-9)
        return "--fail-rate and --skip-rate add up to more than 1";
    return std::string();
}

CToolStatus PrepareSimulation(const CSimulationOptions& plan, const CToolDirectory& dir, CDirectoryLock& lock)
{
    const std::string planError = CheckPlan(plan);
    if (!planError.empty())
        return CToolStatus::Usage(planError);
    CToolStatus status = dir.PrepareForWriting();
    if (!status.IsOk())
        return status;
    return lock.Acquire(dir.Path(), dir.File(CDirectoryLock::FileName));
}

void AddFormat(CLI::App& app, OutputFormat& format)
{
    format = OutputFormat::Table;
    app.add_option_function<std::string>(
           "--format", [&format](const std::string& name) { FormatFromName(name, format); },
           "Output format: table, json or csv (RFC 4180)")
        ->type_name("FORMAT")
        ->check(CLI::Validator(
            [](std::string& name) {
                OutputFormat ignored;
                return FormatFromName(name, ignored) ? std::string()
                                                     : "unknown format '" + name + "' (use table, json or csv)";
            },
            "FORMAT"));
}

void AddStatus(CLI::App& app, int& status)
{
    status = -1;
    app.add_option_function<std::string>(
           "--status", [&status](const std::string& name) { status = StatusFromName(name); },
           "Only items with this status: SUCCESS, FAILED, SKIPPED or PROGRESSING")
        ->type_name("NAME")
        ->check(CLI::Validator(
            [](std::string& name) {
                return StatusFromName(name) < 0
                           ? "unknown status '" + name + "' (use SUCCESS, FAILED, SKIPPED or PROGRESSING)"
                           : std::string();
            },
            "STATUS"));
}

CLI::Option* AddLimit(CLI::App& app, std::uint64_t& limit)
{
    limit = 0;
    return app.add_option("--limit", limit, "Show at most this many items (0: all)")->check(WholeNumber(0, UINT64_MAX));
}
} // namespace CommandOptions
