#include "crash/CrashRounds.h"

#include "crash/ChildProcess.h"
#include "crash/KillSwitchLogWriter.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>

namespace
{
const int kChildTimeoutMs = 120000;

std::string Show(const CrashPlan::Row& row)
{
    std::string text;
    for (const std::string& column : row)
        text += (text.empty() ? "[" : ", ") + column;
    return text + "]";
}

// The child's side of a run: reports each flush as it returns, or dies right after the chosen one.
class ChildHooks : public CrashPlan::Hooks
{
public:
    ChildHooks(ChildProcess& child, std::size_t dieAfterFlush) : m_child(child), m_dieAfterFlush(dieAfterFlush) {}

    void EnterPass() override { m_inPass = true; }
    void LeavePass() override { m_inPass = false; }
    void Flushed(std::size_t mark) override
    {
        if (++m_flushes == m_dieAfterFlush)
        {
            m_child.Send("K after-flush");
            std::raise(SIGKILL);
        }
        m_child.Send("F " + std::to_string(mark));
    }
    bool InPass() const { return m_inPass; }

private:
    ChildProcess& m_child;
    std::size_t m_dieAfterFlush;
    std::size_t m_flushes = 0;
    bool m_inPass = false;
};

template <class Number> Number Uniform(std::mt19937_64& random, Number low, Number high)
{
    return std::uniform_int_distribution<Number>(low, high)(random);
}
} // namespace

CrashRounds::CrashRounds(std::string name, PlanFactory factory) : m_name(std::move(name)), m_factory(std::move(factory))
{
}

std::uint64_t CrashRounds::SeedFromEnvironment()
{
    const char* text = std::getenv("FX_CRASH_SEED");
    if (text && *text)
        return std::strtoull(text, nullptr, 10);
    return (static_cast<std::uint64_t>(std::random_device()()) << 20) ^ static_cast<std::uint64_t>(::getpid());
}

std::size_t CrashRounds::RoundsFromEnvironment()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    const std::size_t byDefault = 2;
#else
    const std::size_t byDefault = 4;
#endif
    const char* text = std::getenv("FX_CRASH_ROUNDS");
    return text && *text ? static_cast<std::size_t>(std::strtoull(text, nullptr, 10)) : byDefault;
}

void CrashRounds::Run(std::uint64_t seed, std::size_t rounds)
{
    for (std::size_t round = 0; round < rounds; ++round)
    {
        RunRound(seed + round);
        if (::testing::Test::HasFailure())
            break;
    }
}

void CrashRounds::RunRound(std::uint64_t seed)
{
    SCOPED_TRACE(m_name + " round seed " + std::to_string(seed) + "; replay with FX_CRASH_SEED=" +
                 std::to_string(seed) + " FX_CRASH_ROUNDS=1");
    std::unique_ptr<CrashPlan> plan = m_factory(seed);
    std::mt19937_64 random(seed * 0x9E3779B97F4A7C15ull + 1);
    m_nextMode = static_cast<unsigned int>(seed % 3);
    TempDir directory;
    std::size_t mark = 0;
    const std::size_t kills = Uniform<std::size_t>(random, 2, 4);
    Aim aim;
    for (std::size_t kill = 0; kill < kills && !::testing::Test::HasFailure(); ++kill)
    {
        if (!ChooseAim(*plan, directory.Path(), mark, random, aim))
            break;
        mark = RunAndKill(*plan, directory.Path(), mark, aim);
        CheckAfterKill(*plan, directory.Path(), mark);
    }
    if (::testing::Test::HasFailure())
        return;
    CrashPlan::Hooks quiet;
    CZuError restart = plan->Run(directory.Path(), mark, quiet);
    EXPECT_FALSE(restart.IsError()) << "the restart from event " << mark << " failed: " << restart.AsString();
    CheckSettled(*plan, directory.Path());
    EXPECT_EQ("", plan->CheckThroughFacade(directory.Path()));
    ++m_tally.rounds;
}

bool CrashRounds::ChooseAim(const CrashPlan& plan, const std::string& directory, std::size_t mark,
                            std::mt19937_64& random, Aim& aim)
{
    const std::size_t flushes = plan.FlushesFrom(mark);
    aim = Aim{static_cast<KillMode>(m_nextMode++ % 3), 0, 0, 0};
    if (aim.mode == KillMode::AfterFlush && flushes == 0)
        aim.mode = KillMode::AtRowWrite;
    const std::size_t rows =
        aim.mode == KillMode::AtRowWrite || flushes == 0 ? RowWritesOfRun(plan, directory, mark) : 0;
    if (flushes == 0 && rows == 0)
        return false; // what is left of the run writes nothing
    if (aim.mode == KillMode::AtRowWrite && rows == 0)
        aim.mode = KillMode::ByParent;
    if (aim.mode == KillMode::AtRowWrite)
        aim.row = Uniform<std::size_t>(random, 1, rows);
    else if (aim.mode == KillMode::AfterFlush)
        aim.flush = Uniform<std::size_t>(random, 1, flushes);
    else
    {
        // Not after the last flush: the run would mostly be over before the kill.
        aim.flush = Uniform<std::size_t>(random, 0, flushes > 0 ? flushes - 1 : 0);
        aim.delayMicros = Uniform<unsigned int>(random, 0, 2000);
    }
    return true;
}

std::size_t CrashRounds::RowWritesOfRun(const CrashPlan& plan, const std::string& directory, std::size_t mark)
{
    TempDir copy;
    std::filesystem::copy(directory, copy.Path(), std::filesystem::copy_options::recursive);
    boost::shared_ptr<KillSwitchLogWriter> counter(new KillSwitchLogWriter(0, [] {}));
    boost::shared_ptr<CLogWriterInterface> previous = g_ptrLogWriter;
    g_ptrLogWriter = counter;
    CrashPlan::Hooks quiet;
    plan.Run(copy.Path(), mark, quiet);
    g_ptrLogWriter = previous;
    return counter->Rows();
}

std::size_t CrashRounds::RunAndKill(const CrashPlan& plan, const std::string& directory, std::size_t mark,
                                    const Aim& aim)
{
    ChildProcess child([&](ChildProcess& self) {
        ChildHooks hooks(self, aim.mode == KillMode::AfterFlush ? aim.flush : 0);
        if (aim.mode == KillMode::AtRowWrite)
            g_ptrLogWriter.reset(
                new KillSwitchLogWriter(aim.row, [&] { self.Send(hooks.InPass() ? "K pass" : "K event"); }));
        CZuError error = plan.Run(directory, mark, hooks);
        if (error.IsError())
        {
            self.Send("E " + error.AsString());
            return 2;
        }
        self.Send("D");
        return 0;
    });

    auto killByParent = [&] {
        ::usleep(aim.delayMicros);
        child.Kill();
    };
    if (aim.mode == KillMode::ByParent && aim.flush == 0)
        killByParent();
    std::size_t flushes = 0;
    std::string how = aim.mode == KillMode::ByParent ? "parent" : "";
    std::string line;
    while (child.ReadLine(line, kChildTimeoutMs))
    {
        if (line.rfind("F ", 0) == 0)
        {
            mark = std::max<std::size_t>(mark, std::strtoull(line.c_str() + 2, nullptr, 10));
            if (aim.mode == KillMode::ByParent && ++flushes == aim.flush)
                killByParent();
        }
        else if (line.rfind("K ", 0) == 0)
            how = line.substr(2);
        else if (line.rfind("E ", 0) == 0)
            ADD_FAILURE() << "the child's run failed: " << line.substr(2);
    }
    if (child.TimedOut())
    {
        ADD_FAILURE() << "the child sent nothing for " << kChildTimeoutMs << " ms";
        child.Kill();
    }
    const ChildProcess::Ending ending = child.Wait();
    if (!ending.killed && (ending.signal != 0 || ending.exitCode != 0))
        ADD_FAILURE() << "the child ended with signal " << ending.signal << ", exit code " << ending.exitCode;
    else
        Count(how, ending.killed, ending.exitCode);
    return mark;
}

void CrashRounds::Count(const std::string& how, bool killed, int exitCode)
{
    if (!killed)
    {
        if (exitCode == 0)
            ++m_tally.finishedFirst;
        return;
    }
    ++m_tally.kills;
    if (how == "pass")
        ++m_tally.killsInPass;
    else if (how == "event")
        ++m_tally.killsInEvent;
    else if (how == "after-flush")
        ++m_tally.killsAfterFlush;
    else
        ++m_tally.killsByParent;
}

bool CrashRounds::ReadRows(const CrashPlan& plan, const std::string& path, std::map<std::string, CrashPlan::Row>& rows)
{
    try
    {
        SqliteFile file(path);
        const std::string integrity = file.Scalar("PRAGMA integrity_check;");
        if (integrity != "ok")
        {
            ++m_tally.corruptDatabases;
            ADD_FAILURE() << path << " fails its integrity check: " << integrity;
            return false;
        }
        if (file.Scalar("SELECT count(*) FROM sqlite_master WHERE type='table' AND name='" + plan.TableName() + "';") ==
            "0")
            return true;
        for (const std::vector<std::string>& row : file.Rows(plan.RowsSql()))
            if (!rows.emplace(row[0], CrashPlan::Row(row.begin() + 1, row.end())).second)
                ADD_FAILURE() << "two rows for " << row[0];
        return true;
    }
    catch (const std::exception& error)
    {
        ++m_tally.corruptDatabases;
        ADD_FAILURE() << path << " cannot be read: " << error.what();
        return false;
    }
}

// A file's row may be the state after any of its events from the last flushed one on: later
// events may have reached the table, flushed ones must have. Once every event was flushed,
// the settled row is allowed too (the closing pass may have run).
void CrashRounds::CheckAfterKill(const CrashPlan& plan, const std::string& directory, std::size_t mark)
{
    const std::string path = directory + "/" + plan.DatabaseName();
    std::map<std::string, CrashPlan::Row> rows;
    if (std::filesystem::exists(path) && !ReadRows(plan, path, rows))
        return;
    std::size_t reported = 0;
    for (std::size_t file = 0; file < plan.FileCount(); ++file)
    {
        const std::size_t floor = plan.FloorAt(file, mark);
        m_tally.recordsChecked += floor > 0 ? 1 : 0;
        auto found = rows.find(plan.Key(file));
        if (found == rows.end())
        {
            if (floor == 0)
                continue;
            ++m_tally.recordsLost;
            if (reported++ < 5)
                ADD_FAILURE() << plan.Key(file) << " was flushed through its event " << floor
                              << " (flushed mark " << mark << ") and has no row";
            continue;
        }
        const CrashPlan::Row row = found->second;
        bool allowed = mark == plan.EventCount() && row == plan.Settled(file);
        for (std::size_t count = std::max<std::size_t>(floor, 1); count <= plan.EventsOf(file) && !allowed; ++count)
            allowed = row == plan.Image(file, count);
        rows.erase(found);
        if (allowed)
            continue;
        ++m_tally.recordsLost;
        if (reported++ < 5)
            ADD_FAILURE() << plan.Key(file) << " holds " << Show(row) << ", no state from its event "
                          << std::max<std::size_t>(floor, 1) << " on (flushed mark " << mark << "); flushed state "
                          << (floor > 0 ? Show(plan.Image(file, floor)) : std::string("none"));
    }
    for (const auto& stray : rows)
        ADD_FAILURE() << "a row for no file of the plan: " << stray.first << " " << Show(stray.second);
}

void CrashRounds::CheckSettled(const CrashPlan& plan, const std::string& directory)
{
    std::map<std::string, CrashPlan::Row> rows;
    if (!ReadRows(plan, directory + "/" + plan.DatabaseName(), rows))
        return;
    EXPECT_EQ(plan.FileCount(), rows.size());
    for (std::size_t file = 0; file < plan.FileCount(); ++file)
        EXPECT_EQ(Show(plan.Settled(file)), rows.count(plan.Key(file)) ? Show(rows[plan.Key(file)]) : "no row")
            << plan.Key(file);
}

std::string CrashRounds::Summary(std::uint64_t seed) const
{
    std::ostringstream text;
    text << m_name << ": seed " << seed << ", rounds " << m_tally.rounds << ", kills survived " << m_tally.kills
         << " (between row writes of a pass " << m_tally.killsInPass << ", at an event's own write "
         << m_tally.killsInEvent << ", after an unreported flush " << m_tally.killsAfterFlush << ", by the parent "
         << m_tally.killsByParent << "; runs that finished first " << m_tally.finishedFirst << "), records checked "
         << m_tally.recordsChecked << ", records lost " << m_tally.recordsLost << ", corrupt databases "
         << m_tally.corruptDatabases;
    return text.str();
}

void CrashRounds::Report(std::uint64_t seed) const
{
    std::cout << "[ crash    ] " << Summary(seed) << std::endl;
    ::testing::Test::RecordProperty("seed", std::to_string(seed));
    ::testing::Test::RecordProperty("kills_survived", static_cast<int>(m_tally.kills));
    ::testing::Test::RecordProperty("records_checked", static_cast<int>(m_tally.recordsChecked));
    ::testing::Test::RecordProperty("records_lost", static_cast<int>(m_tally.recordsLost));
}
