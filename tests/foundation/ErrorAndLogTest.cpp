#include "foundation/Foundation.h"
#include "support/RecordingLogWriter.h"

#include <gtest/gtest.h>

namespace
{
CZuError Inner()
{
    return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND, "missing [%s]", "a");
}

CZuError Outer()
{
    CZuError error = Inner();
    if (error.IsError())
        return error.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}
} // namespace

TEST(ZuErrorTest, SuccessIsTheDefault)
{
    CZuError error;
    EXPECT_FALSE(error.IsError());
    EXPECT_FALSE(CZuError::Success().IsError());
    EXPECT_EQ(CZuError::Kind::None, error.GetKind());
    EXPECT_FALSE(FXErrorUtil::IsNotWin32(error, ERROR_NOT_FOUND));
}

TEST(ZuErrorTest, PropagationKeepsTheCodeAndTrail)
{
    CZuError error = Outer();
    ASSERT_TRUE(error.IsError());
    EXPECT_TRUE(FXErrorUtil::IsWin32(error, ERROR_NOT_FOUND));
    EXPECT_FALSE(FXErrorUtil::IsNotWin32(error, ERROR_NOT_FOUND));
    EXPECT_TRUE(FXErrorUtil::IsNotWin32(error, ERROR_NOT_SUPPORTED));
    EXPECT_FALSE(FXErrorUtil::IsSQLite(error, ERROR_NOT_FOUND));
    EXPECT_EQ("missing [a]", error.GetMessage());
    ASSERT_EQ(2u, error.GetLocations().size());
    EXPECT_EQ("ErrorAndLogTest.cpp", error.GetLocations()[0].GetFile());
    EXPECT_NE(std::string::npos, error.GetLocations()[0].GetFunction().find("Inner"));
    EXPECT_NE(std::string::npos, error.GetLocations()[1].GetFunction().find("Outer"));
    std::string text = error.AsString();
    EXPECT_NE(std::string::npos, text.find("1168"));
    EXPECT_NE(std::string::npos, text.find("missing [a]"));
}

TEST(ZuErrorTest, SQLiteErrorsAreTheirOwnKind)
{
    CZuError error = FXErrorUtil::ErrorSQLite(FX_CODE_LOCATION, 1555, "SQLite Exception%s%s", ", ", "constraint");
    EXPECT_TRUE(FXErrorUtil::IsSQLite(error, 1555));
    EXPECT_FALSE(FXErrorUtil::IsWin32(error, 1555));
    EXPECT_EQ("SQLite Exception, constraint", error.GetMessage());
}

TEST(FXStringTest, SplitKeepsEmptyPartsInOrder)
{
    std::vector<std::string> parts;
    FXString::Split("a||b|", "|", parts, 0);
    EXPECT_EQ((std::vector<std::string>{"a", "", "b", ""}), parts);
    FXString::Split("", "|", parts, 0);
    EXPECT_EQ((std::vector<std::string>{""}), parts);
}

TEST(FXStringTest, RemoveLeftAndRightOnlyStripExactAffixes)
{
    std::string text = "<DELETE>1";
    EXPECT_TRUE(FXString::RemoveLeft(text, "<DELETE>"));
    EXPECT_EQ("1", text);
    EXPECT_FALSE(FXString::RemoveLeft(text, "<DELETE>"));
    text = "<del";
    EXPECT_FALSE(FXString::RemoveLeft(text, "<DELETE>"));
    text = "a=1, ";
    EXPECT_TRUE(FXString::RemoveRight(text, ", "));
    EXPECT_EQ("a=1", text);
    EXPECT_FALSE(FXString::RemoveRight(text, "longer than the text"));
}

TEST(FXStringTest, FormatsLongTextsAndComparesWithAndWithoutCase)
{
    std::string longText(1000, 'x');
    EXPECT_EQ(longText + "7", FXString::Format("%s%d", longText.c_str(), 7));
    EXPECT_EQ(0, FXString::CompareNoCase("ABC", "abc"));
    EXPECT_LT(FXString::Compare("ABC", "abc"), 0);
    // strcasecmp folds to lower case, so "_" (0x5F) sorts before "z" here, unlike RuntimeStringCmpA.
    EXPECT_LT(FXString::CompareNoCase("a_", "AZ"), 0);
}

TEST(FXPathTest, AppendJoinsWithOneSeparator)
{
    std::string path = "/tmp/dir";
    FXPath::Append(path, "FileExtentRestore.db", 0);
    EXPECT_EQ("/tmp/dir/FileExtentRestore.db", path);
    path = "/tmp/dir/";
    FXPath::Append(path, "x.db", 0);
    EXPECT_EQ("/tmp/dir/x.db", path);
}

TEST(FXFileTest, RemovingAMissingFileIsAnError)
{
    EXPECT_FALSE(FXFile::DoesFileExist("/nonexistent/fileextent"));
    EXPECT_TRUE(FXErrorUtil::IsWin32(FXFile::RemoveFile("/nonexistent/fileextent"), ERROR_FILE_NOT_FOUND));
}

TEST(LogRuleTest, LevelsAreFilteredButFailuresAlwaysWritten)
{
    FX_LOG(-1, "nobody listens %d", 1); // no writer installed: nothing happens
    ScopedRecordingLog log(0);
    FX_LOG(-1, "failure %d", 1);
    FX_LOG(0, "event");
    FX_LOG(3, "batch");
    EXPECT_FALSE(FXLog::IsEnabled(5));
    log->SetLevel(5);
    FX_LOG(5, "sql stmnt: '%s'", "SELECT 1");
    auto lines = log->Lines();
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(-1, lines[0].level);
    EXPECT_EQ("failure 1", lines[0].text);
    EXPECT_EQ("event", lines[1].text);
    EXPECT_EQ("sql stmnt: 'SELECT 1'", lines[2].text);
}

namespace
{
class ThrowingLogWriter : public CLogWriterInterface
{
public:
    void Write(int, const char*, int, int, int, const char*, ...) override { throw std::runtime_error("disk full"); }
    int GetLevel() override { throw std::runtime_error("broken"); }
};
} // namespace

TEST(LogRuleTest, AThrowingWriterCannotThrowThroughTheLibrary)
{
    g_ptrLogWriter.reset(new ThrowingLogWriter());
    EXPECT_NO_THROW(FX_LOG(-1, "failure"));
    EXPECT_NO_THROW(FX_LOG(3, "batch"));
    EXPECT_FALSE(FXLog::IsEnabled(3));
    EXPECT_TRUE(FXLog::IsEnabled(-1));
    g_ptrLogWriter.reset();
}
