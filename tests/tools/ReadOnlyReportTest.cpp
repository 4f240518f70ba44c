#include "support/SqliteFile.h"
#include "support/TempDir.h"
#include "tools/CsvParser.h"
#include "tools/ToolRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <sstream>

namespace
{
// Every file of a directory with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& dir)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        files[entry.path().filename().string()] = ReadWholeFile(entry.path().string());
    return files;
}

// Makes paths read-only for this process: root ignores permissions, so it gets the immutable
// attribute (which binds root too); others get a mode without write permission. Undone on destruction.
class ReadOnlyPaths
{
public:
    explicit ReadOnlyPaths(std::vector<std::string> paths) : m_paths(std::move(paths))
    {
        for (const std::string& path : m_paths)
            SetImmutable(path, true);
    }
    ~ReadOnlyPaths()
    {
        for (const std::string& path : m_paths)
            SetImmutable(path, false);
    }

private:
    static void SetImmutable(const std::string& path, bool on)
    {
        struct stat info;
        if (::stat(path.c_str(), &info) != 0)
            return;
        if (::geteuid() != 0)
        {
            ::chmod(path.c_str(), on ? (info.st_mode & ~0222) : (info.st_mode | 0200));
            return;
        }
        const int fd = ::open(path.c_str(), O_RDONLY | (S_ISDIR(info.st_mode) ? O_DIRECTORY : 0));
        int flags = 0;
        if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0)
        {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        if (fd >= 0)
            ::close(fd);
    }

    std::vector<std::string> m_paths;
};

bool CanCreateIn(const std::string& dir)
{
    const std::string probe = dir + "/probe";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

class ReadOnlyReportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!ToolAvailable())
            GTEST_SKIP() << "fileextentctl is not built";
    }

    ToolRun Run(const std::vector<std::string>& args) { return RunTool(args, scratch.Path()); }
    void Simulate(const std::vector<std::string>& extra = {})
    {
        std::vector<std::string> args = {"simulate",    "--dir", data.Path(), "--files",     "300", "--extents",
                                         "9",           "--fail-rate", "0.2", "--skip-rate", "0.1"};
        args.insert(args.end(), extra.begin(), extra.end());
        const ToolRun run = Run(args);
        ASSERT_EQ(run.exitCode, extra.empty() ? 0 : 128 + SIGKILL) << run.err;
    }
    // Every kind of restore report, each expected to succeed; the summary's JSON is returned.
    nlohmann::json ReportAll()
    {
        for (const char* format : {"table", "json", "csv"})
        {
            const ToolRun list = Run({"report", "--dir", data.Path(), "--format", format});
            EXPECT_EQ(list.exitCode, 0) << list.err;
            const ToolRun missing = Run({"report", "--dir", data.Path(), "--missing", "--format", format});
            EXPECT_EQ(missing.exitCode, 0) << missing.err;
        }
        const ToolRun summary = Run({"report", "--dir", data.Path(), "--summary", "--format", "json"});
        EXPECT_EQ(summary.exitCode, 0) << summary.err;
        return summary.exitCode == 0 ? nlohmann::json::parse(summary.out) : nlohmann::json();
    }

    TempDir data;
    TempDir scratch;
};

TEST_F(ReadOnlyReportTest, RollbackJournalDatabaseKeepsItsBytesAndMode)
{
    Simulate();
    ASSERT_EQ(Run({"recall", "simulate", "--dir", data.Path(), "--files", "20"}).exitCode, 0);
    for (const char* db : {"FileExtentRestore.db", "FileExtentRecall.db"})
        EXPECT_EQ(SqliteFile(data.File(db)).Scalar("PRAGMA journal_mode=DELETE;"), "delete");
    const auto before = Snapshot(data.Path());

    EXPECT_EQ(ReportAll()["total"]["files"], 300);
    EXPECT_EQ(Run({"recall", "report", "--dir", data.Path(), "--format", "json"}).exitCode, 0);

    EXPECT_EQ(Snapshot(data.Path()), before) << "no byte changed, no -wal, -shm, -journal or log file appeared";
    EXPECT_EQ(SqliteFile(data.File("FileExtentRestore.db")).Scalar("PRAGMA journal_mode;"), "delete");
}

TEST_F(ReadOnlyReportTest, WalDatabaseWithoutItsLogGainsNoFiles)
{
    Simulate();
    ASSERT_FALSE(std::filesystem::exists(data.File("FileExtentRestore.db-wal")));
    const auto before = Snapshot(data.Path());
    EXPECT_EQ(ReportAll()["total"]["files"], 300);
    EXPECT_EQ(Snapshot(data.Path()), before);
}

// A killed writer leaves its flushed records in the -wal file: a read-only directory and file
// must not hide them, and nothing may be written to make them readable.
TEST_F(ReadOnlyReportTest, ReadOnlyDirectoryAndFileAreReported)
{
    Simulate({"--crash-after", "2000"});
    const std::string db = data.File("FileExtentRestore.db");
    ASSERT_TRUE(std::filesystem::exists(db + "-wal"));
    const auto before = Snapshot(data.Path());
    nlohmann::json crashed;
    {
        const ReadOnlyPaths readOnly({db, db + "-wal", db + "-shm", data.Path()});
        if (CanCreateIn(data.Path()))
            GTEST_SKIP() << "cannot make a directory read-only here (no immutable attribute on this file system)";
        crashed = ReportAll();
        EXPECT_EQ(Snapshot(data.Path()), before);
    }
    // This connection recovers the log and, closing, folds it into the file and removes it.
    const std::string rows = SqliteFile(db).Scalar("SELECT count(*) FROM RestoredItems;");
    EXPECT_EQ(crashed["total"]["files"].dump(), rows);
    EXPECT_NE(rows, "0");

    // The same records, now without a log, in a read-only directory.
    ASSERT_FALSE(std::filesystem::exists(db + "-wal"));
    const ReadOnlyPaths readOnly({db, data.Path()});
    const ToolRun csv = Run({"report", "--dir", data.Path(), "--format", "csv"});
    ASSERT_EQ(csv.exitCode, 0) << csv.err;
    EXPECT_EQ(std::to_string(ParseCsv(csv.out).size() - 1), rows);
}

TEST_F(ReadOnlyReportTest, WideCellIsCutInTheTableOnly)
{
    Simulate();
    const std::string wide = "/restore/" + std::string(1 << 20, 'w');
    SqliteFile(data.File("FileExtentRestore.db"))
        .Exec("UPDATE RestoredItems SET RestoredFilePath='" + wide +
              "' WHERE rowid=(SELECT min(rowid) FROM RestoredItems);");

    const ToolRun table = Run({"report", "--dir", data.Path()});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_LT(table.out.size(), 302u * 1000u) << "no row is padded to the wide cell";
    std::istringstream lines(table.out);
    std::string line;
    bool sawCut = false;
    while (std::getline(lines, line))
    {
        EXPECT_LT(line.size(), 1000u);
        sawCut |= line.find("/restore/www") != std::string::npos && line.find("w... ") != std::string::npos;
    }
    EXPECT_TRUE(sawCut) << "the cut is marked";

    const ToolRun csv = Run({"report", "--dir", data.Path(), "--format", "csv"});
    ASSERT_EQ(csv.exitCode, 0);
    EXPECT_EQ(ParseCsv(csv.out)[1][6], wide);
    const ToolRun json = Run({"report", "--dir", data.Path(), "--format", "json"});
    EXPECT_EQ(nlohmann::json::parse(json.out)["items"][0]["restored_path"], wide);
}
} // namespace
