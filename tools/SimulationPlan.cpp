#include "SimulationPlan.h"

#include "ProgressBar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

namespace
{
// splitmix64: a well-mixed number per (seed, file) without keeping a generator per file.
std::uint64_t Mix(std::uint64_t value)
{
    value += 0x9E3779B97F4A7C15ULL;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ULL;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBULL;
    return value ^ (value >> 31);
}

std::uint64_t Share(std::uint64_t count, double rate)
{
    return static_cast<std::uint64_t>(std::llround(static_cast<double>(count) * rate));
}

const std::uint32_t FailureCodes[] = {5, 32, 112, 1117, 1392};

std::string FileName(std::uint64_t index)
{
    char name[64];
    std::snprintf(name, sizeof(name), "file-%08llu", static_cast<unsigned long long>(index));
    // Now and then a name with a quote and a comma, as real file names have them.
    return index % 97 == 13 ? std::string(name) + " o'brien, \"draft\".dat" : std::string(name) + ".dat";
}
} // namespace

CSimulationPlan::CSimulationPlan(const CSimulationOptions& options)
    : m_extents(static_cast<std::uint64_t>(std::max<std::int64_t>(options.Extents, 0))),
      m_tasks(static_cast<std::uint64_t>(std::max<std::int64_t>(options.Tasks, 1))), m_seed(options.Seed)
{
    const std::uint64_t files = static_cast<std::uint64_t>(std::max<std::int64_t>(options.Files, 0));
    const std::uint64_t skipped = std::min(files, Share(files, options.SkipRate));
    const std::uint64_t failed = std::min(files - skipped, Share(files, options.FailRate));
    m_outcomes.assign(files, FileOutcome::Complete);
    for (std::uint64_t i = 0; i < failed; ++i)
        m_outcomes[i] = (i % 2 == 0 && m_extents > 0) ? FileOutcome::Incomplete : FileOutcome::ReportedFailed;
    for (std::uint64_t i = failed; i < failed + skipped; ++i)
        m_outcomes[i] = FileOutcome::Skipped;
    std::mt19937_64 generator(m_seed);
    std::shuffle(m_outcomes.begin(), m_outcomes.end(), generator);
}

CSimulatedFile CSimulationPlan::File(std::uint64_t index) const
{
    std::uint64_t state = Mix(m_seed ^ Mix(index));
    auto next = [&state]() { return state = Mix(state); };

    CSimulatedFile file;
    const std::uint64_t task = index * m_tasks / std::max<std::uint64_t>(m_outcomes.size(), 1);
    char directory[32];
    std::snprintf(directory, sizeof(directory), "task-%04llu", static_cast<unsigned long long>(task + 1));
    const std::string name = FileName(index);
    file.Path = std::string("/data/") + directory + "/" + name;
    file.RestoredPath = std::string("/restore/") + directory + "/" + name;
    file.Version = static_cast<std::uint32_t>(index % 3);
    file.TaskId = static_cast<std::int32_t>(task + 1);
    file.Outcome = m_outcomes[index];
    file.MissingExtent = m_extents ? next() % m_extents : 0;
    file.ErrorCode = FailureCodes[next() % (sizeof(FailureCodes) / sizeof(FailureCodes[0]))];

    file.Attributes[0] = next() % (1ULL << 40);                // size
    file.Attributes[1] = 130000000000000000ULL + next() % (1ULL << 50); // creation time
    file.Attributes[2] = file.Attributes[1] + next() % (1ULL << 40);    // last write time
    file.Attributes[3] = static_cast<std::uint32_t>(next());            // attribute flags
    file.Attributes[4] = next();                                        // file id

    const std::uint64_t action = next() % 10;
    file.DeleteItem = action == 6 || action == 7 || action == 9;
    file.RenameItem = action >= 8;
    if (file.RenameItem)
        file.NewName = "renamed, \"" + name + "\"";
    file.Random = next();
    return file;
}

CToolStatus CSimulationPlan::ForEachFile(const std::string& label,
                                         const std::function<CToolStatus(const CSimulatedFile&)>& fn) const
{
    CProgressBar progress(label, FileCount());
    for (std::uint64_t i = 0; i < FileCount(); ++i)
    {
        CToolStatus status = fn(File(i));
        if (!status.IsOk())
            return status;
        progress.Advance();
    }
    return CToolStatus::Ok();
}
