#include "TableScenario.h"

#include "BenchDirectory.h"
#include "BenchPlan.h"
#include "LibraryCheck.h"
#include "LibraryRestoreHost.h"
#include "NaiveSqliteHost.h"
#include "RatioTable.h"
#include "RestoreWorkload.h"
#include "RestoredItemsCheck.h"
#include "RestoredItemsSql.h"
#include "Rounds.h"
#include "SqliteDb.h"
#include "Stopwatch.h"
#include "UnflushedRecords.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <stdexcept>

using namespace FILEEXTENT_RESTORE;

namespace
{
const std::size_t kFiles = 100000;
const std::size_t kExtents = 4;

std::string RestoreDb(const std::string& dir)
{
    return dir + "/" + CRestoredItemsCheck::RestoreDbName();
}

// A database file, with its log when one is left, copied to a path of its own.
void CopyDatabase(const std::string& from, const std::string& to)
{
    for (const char* suffix : {"", "-wal"})
    {
        std::filesystem::remove(to + suffix);
        if (std::filesystem::exists(from + suffix))
            std::filesystem::copy_file(from + suffix, to + suffix);
    }
}

// A restore left unflushed: every event reported, then the dirty records counted. New rows wait
// for the next pass, so that the flush measured inserts rows new to the table, as its baseline
// does, and the setup costs no commit per file; UpdateStatus and the enumeration start from its
// table, which is the same in either mode.
std::size_t RestoreWithoutFlush(CLibraryRestoreHost& host, const CRestoreWorkload& workload, const std::string& dir)
{
    host.Initialize(dir, CLibraryRestoreHost::WithNextPass());
    workload.Replay(host);
    return CUnflushedRecords::Count(RestoreDb(dir), workload.Files());
}

// One transaction of prepared INSERTs of the last `records` files, as complete rows.
double InsertInOneTransaction(const CRestoreWorkload& workload, std::size_t records, const std::string& dbPath)
{
    CSqliteDb db(dbPath);
    db.Exec(CRestoredItemsSql::Create());
    const std::string bitmap(workload.Extents(), '1');
    const CStopwatch watch;
    CSqliteStatement insert = db.Prepare(CRestoredItemsSql::Insert());
    db.Exec("BEGIN;");
    for (std::size_t file = workload.Files() - records; file < workload.Files(); ++file)
    {
        CNaiveSqliteHost::BindRow(insert, workload, file, 0, bitmap);
        insert.Run();
    }
    db.Exec("COMMIT;");
    return watch.Seconds();
}

// Every flush of this restore writes the same records: the first run's count sizes the baseline,
// and the first run's table, flushed, is where UpdateStatus and the enumeration start from.
void RunFlush(const CBenchPlan& plan, const CRestoreWorkload& workload, const std::string& master,
                     const CBenchDirectory& dir, CRatioTable& table)
{
    std::size_t dirty = 0;
    CRounds rounds("3 Flush of a restore " + workload.Label());
    const std::size_t ours = rounds.Add("ours", [&] {
        const std::string db = dir.NewSubdirectory("flush-ours");
        CLibraryRestoreHost host;
        dirty = RestoreWithoutFlush(host, workload, db);
        const CStopwatch watch;
        host.Flush();
        const CRounds::Sample sample{watch.Seconds(), static_cast<double>(dirty)};
        host.DeInitialize();
        CRestoredItemsCheck::ExpectRestored(RestoreDb(db), CRestoredItemsSql::Table(), workload.Files(), "Flush");
        if (!std::filesystem::exists(master))
            CopyDatabase(RestoreDb(db), master);
        return sample;
    });
    const std::size_t inserts = rounds.Add("inserts", [&] {
        if (dirty == 0)
            throw std::runtime_error("a restore of " + workload.Label() + " left nothing to flush");
        const std::string db = dir.NewSubdirectory("flush-inserts") + "/inserts.db";
        return CRounds::Sample{InsertInOneTransaction(workload, dirty, db), static_cast<double>(dirty)};
    });
    // The first round starts with the library's flush. Both sides write to disk at the end (a
    // checkpoint): more rounds than elsewhere keep one slow write from deciding the median.
    rounds.RunRounds(plan.Rounds(7));
    table.Add({"3 Flush, " + std::to_string(dirty) + " dirty records", CRatioTable::Micros(rounds.PerUnit(ours), "record"),
               "1-transaction INSERTs " + CRatioTable::Micros(rounds.PerUnit(inserts), "record"), "ours/INSERTs",
               rounds.Ratio(ours, inserts), CRatioTable::Target::AtMost(3), rounds.Rounds()});
}

void RunUpdateStatus(const CBenchPlan& plan, const std::string& master, const CBenchDirectory& dir,
                     CRatioTable& table)
{
    const double rows = static_cast<double>(kFiles);
    CRounds rounds("3 UpdateStatus over 100000 rows");
    const std::size_t ours = rounds.Add("ours", [&] {
        const std::string db = dir.NewSubdirectory("status-ours");
        CopyDatabase(master, RestoreDb(db));
        CLibraryRestoreHost host;
        host.Initialize(db);
        const CStopwatch watch;
        host.UpdateStatus();
        const CRounds::Sample sample{watch.Seconds(), rows};
        host.DeInitialize();
        CRestoredItemsCheck::ExpectRestored(RestoreDb(db), CRestoredItemsSql::Table(), kFiles, "UpdateStatus");
        return sample;
    });
    const std::size_t setBased = rounds.Add("set-based", [&] {
        const std::string db = dir.NewSubdirectory("status-sql") + "/copy.db";
        CopyDatabase(master, db);
        CRounds::Sample sample{0, rows};
        {
            CSqliteDb connection(db);
            const CStopwatch watch;
            connection.Exec(CRestoredItemsSql::DecideStatus());
            sample.seconds = watch.Seconds();
        }
        CRestoredItemsCheck::ExpectRestored(db, CRestoredItemsSql::Table(), kFiles, "the set-based UPDATE");
        return sample;
    });
    rounds.RunRounds(plan.Rounds(5));
    table.Add({"3 UpdateStatus, 100000 rows", CRatioTable::Micros(rounds.PerUnit(ours), "row"),
               "set-based UPDATE " + CRatioTable::Micros(rounds.PerUnit(setBased), "row"), "ours/UPDATE",
               rounds.Ratio(ours, setBased), CRatioTable::Target::AtMost(5), rounds.Rounds()});
}

void RunGetAllRestoredItems(const CBenchPlan& plan, const std::string& master, const CBenchDirectory& dir,
                            CRatioTable& table)
{
    const double rows = static_cast<double>(kFiles);
    const std::string oursDir = dir.NewSubdirectory("enumerate-ours");
    CopyDatabase(master, RestoreDb(oursDir));
    const std::string sqlDb = dir.NewSubdirectory("enumerate-sql") + "/copy.db";
    CopyDatabase(master, sqlDb);
    CLibraryRestoreHost host;
    host.Initialize(oursDir);
    CSqliteDb connection(sqlDb, CSqliteDb::Mode::ReadOnly);

    CRounds rounds("3 GetAllRestoredItems over 100000 rows");
    const std::size_t ours = rounds.Add("ours", [&] {
        std::size_t seen = 0;
        std::size_t bits = 0;
        const CStopwatch watch;
        CheckLibrary(host.Handler().GetAllRestoredItems(
                         [&](const std::string&, unsigned int, const CFileExtentContainerItemRestoreReport& report) {
                             ++seen;
                             bits += report.GetExtentBitmap().size();
                             return CZuError::Success();
                         }),
                     "GetAllRestoredItems");
        const CRounds::Sample sample{watch.Seconds(), rows};
        benchmark::DoNotOptimize(bits);
        if (seen != kFiles)
            throw std::runtime_error("GetAllRestoredItems saw " + std::to_string(seen) + " rows");
        return sample;
    });
    const std::size_t select = rounds.Add("SELECT *", [&] {
        std::size_t seen = 0;
        std::size_t bytes = 0;
        const CStopwatch watch;
        CSqliteStatement statement = connection.Prepare(CRestoredItemsSql::SelectAll());
        while (statement.Step())
        {
            const std::string path = statement.Bytes(0);
            const std::int64_t version = statement.Int(1);
            const std::string restoredPath = statement.Bytes(2);
            const std::int64_t errorCode = statement.Int(3);
            const std::int64_t status = statement.Int(4);
            const std::int64_t containerRestored = statement.Int(5);
            const std::string action = statement.Bytes(6);
            const std::int64_t extents = statement.Int(7);
            const std::string bitmap = statement.Bytes(8);
            const std::string metadata = statement.Bytes(9);
            const std::int64_t taskId = statement.Int(10);
            ++seen;
            bytes += path.size() + restoredPath.size() + action.size() + bitmap.size() + metadata.size();
            bytes += static_cast<std::size_t>(version + errorCode + status + containerRestored + extents + taskId);
        }
        const CRounds::Sample sample{watch.Seconds(), rows};
        benchmark::DoNotOptimize(bytes);
        if (seen != kFiles)
            throw std::runtime_error("SELECT * saw " + std::to_string(seen) + " rows");
        return sample;
    });
    rounds.RunRounds(plan.Rounds(7), 1);
    host.DeInitialize();
    table.Add({"3 GetAllRestoredItems, 100000 rows", CRatioTable::Micros(rounds.PerUnit(ours), "row"),
               "SELECT * " + CRatioTable::Micros(rounds.PerUnit(select), "row"), "ours/SELECT",
               rounds.Ratio(ours, select), CRatioTable::Target::AtMost(2), rounds.Rounds()});
}
} // namespace

void CTableScenario::Run(const CBenchPlan& plan, CRatioTable& table)
{
    const CBenchDirectory dir;
    const CRestoreWorkload workload(kFiles, kExtents);
    const std::string master = dir.File("master.db");
    RunFlush(plan, workload, master, dir, table);
    RunUpdateStatus(plan, master, dir, table);
    RunGetAllRestoredItems(plan, master, dir, table);
}
