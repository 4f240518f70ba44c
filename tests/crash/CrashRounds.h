#pragma once

#include "crash/CrashPlan.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>

// Rounds of one kind of plan. In each round a few children run the plan on one directory, each
// from where the last one's flushes got, and each is killed: by the parent at a random moment,
// by itself at a chosen row write, or by itself just after a flush returned. After every kill
// the database must pass its integrity check and keep every flushed record; at the end a
// restart in this process must complete and settle every file. Failures go to GoogleTest with
// the round's seed.
class CrashRounds
{
public:
    struct Tally
    {
        std::size_t rounds = 0;
        std::size_t kills = 0;
        std::size_t killsInPass = 0;     // between two row writes of a flush or the closing pass
        std::size_t killsInEvent = 0;    // at a row written by an event itself
        std::size_t killsAfterFlush = 0; // a flush returned but was never reported
        std::size_t killsByParent = 0;
        std::size_t finishedFirst = 0; // the child completed before its kill came
        std::size_t recordsChecked = 0;
        std::size_t recordsLost = 0;
        std::size_t corruptDatabases = 0;
    };

    typedef std::function<std::unique_ptr<CrashPlan>(std::uint64_t seed)> PlanFactory;

    CrashRounds(std::string name, PlanFactory factory);

    // Rounds with the seeds seed, seed + 1, ...
    void Run(std::uint64_t seed, std::size_t rounds);
    const Tally& Totals() const { return m_tally; }
    std::string Summary(std::uint64_t seed) const;
    // The summary on stdout and as test properties.
    void Report(std::uint64_t seed) const;

    // FX_CRASH_SEED, or a fresh one.
    static std::uint64_t SeedFromEnvironment();
    // FX_CRASH_ROUNDS, or a few (fewer under sanitizers).
    static std::size_t RoundsFromEnvironment();

private:
    enum class KillMode
    {
        ByParent,
        AtRowWrite,
        AfterFlush,
    };
    struct Aim
    {
        KillMode mode;
        std::size_t row;         // AtRowWrite: the row write to die at, counted from 1
        std::size_t flush;       // AfterFlush: the flush of this run to die after; ByParent: flushes to wait for
        unsigned int delayMicros; // ByParent: after that flush
    };

    void RunRound(std::uint64_t seed);
    // False when what is left of the run writes nothing, so no kill could matter.
    bool ChooseAim(const CrashPlan& plan, const std::string& directory, std::size_t mark, std::mt19937_64& random,
                   Aim& aim);
    // The row writes a run from `mark` makes, counted on a copy of the directory.
    static std::size_t RowWritesOfRun(const CrashPlan& plan, const std::string& directory, std::size_t mark);
    // Returns the mark the child's reported flushes reached.
    std::size_t RunAndKill(const CrashPlan& plan, const std::string& directory, std::size_t mark, const Aim& aim);
    void Count(const std::string& how, bool killed, int exitCode);
    void CheckAfterKill(const CrashPlan& plan, const std::string& directory, std::size_t mark);
    void CheckSettled(const CrashPlan& plan, const std::string& directory);
    // Rows by key; false (and a failure) when the file cannot be read or fails its integrity check.
    bool ReadRows(const CrashPlan& plan, const std::string& path, std::map<std::string, CrashPlan::Row>& rows);

    std::string m_name;
    PlanFactory m_factory;
    Tally m_tally;
    unsigned int m_nextMode = 0; // the modes take turns, so that even a short run sees each
};
