// Flush is measured per record it writes; the count comes from the table, and must be what the
// flush then really writes.
#include "LibraryRestoreHost.h"
#include "RestoreWorkload.h"
#include "UnflushedRecords.h"

#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

class UnflushedRecordsTest : public ::testing::Test
{
protected:
    void SetUp() override { host.Initialize(dir.Path()); }
    void TearDown() override { host.DeInitialize(); }

    std::string DbFile() const { return dir.File("FileExtentRestore.db"); }

    // The count, then the paths the flush really writes: triggers note them, whichever connection writes.
    void ExpectCountOfWhatFlushWrites(std::size_t files)
    {
        const std::size_t predicted = CUnflushedRecords::Count(DbFile(), files);
        SqliteFile(DbFile())
            .Exec("CREATE TABLE Written (FilePath TEXT PRIMARY KEY);"
                  "CREATE TRIGGER WrittenByInsert AFTER INSERT ON RestoredItems "
                  "BEGIN INSERT OR IGNORE INTO Written VALUES (NEW.FilePath); END;"
                  "CREATE TRIGGER WrittenByUpdate AFTER UPDATE ON RestoredItems "
                  "BEGIN INSERT OR IGNORE INTO Written VALUES (NEW.FilePath); END;");
        host.Flush();
        EXPECT_GT(predicted, 0u);
        EXPECT_EQ(std::to_string(predicted), SqliteFile(DbFile()).Scalar("SELECT count(*) FROM Written;"));
    }

    TempDir dir;
    CLibraryRestoreHost host;
};

// More files than the cache holds, so that some were written before the flush and some not.
TEST_F(UnflushedRecordsTest, CountsWhatTheFlushOfASortedRestoreWrites)
{
    const CRestoreWorkload workload(6000, 3);
    workload.Replay(host);
    ExpectCountOfWhatFlushWrites(workload.Files());
}

// Every file announced first: records leave the cache incomplete and come back for their extents.
TEST_F(UnflushedRecordsTest, CountsRowsWrittenBeforeTheirLastExtent)
{
    const CRestoreWorkload workload(6000, 2);
    for (std::size_t file = 0; file < workload.Files(); ++file)
        host.OnFile(workload, file);
    for (std::size_t file = 0; file < workload.Files(); ++file)
        for (std::size_t extent = 0; extent < workload.Extents(); ++extent)
            host.OnExtent(workload, file, extent);
    ExpectCountOfWhatFlushWrites(workload.Files());
}
