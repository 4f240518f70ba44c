#include "recall/FileExtentRecallReport.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

using namespace FILEEXTENTRECALLDB;

namespace
{
nlohmann::json ParseObject(const std::string& text)
{
    nlohmann::json value = nlohmann::json::parse(text);
    EXPECT_TRUE(value.is_object()) << text;
    return value;
}

std::string Serialize(const CFileExtentRecallFileMetadata& metadata)
{
    std::string text;
    EXPECT_FALSE(CFileExtentRecallFileMetadata::SerializeToString(metadata, text).IsError());
    return text;
}

CFileExtentRecallFileMetadata Deserialize(const std::string& text,
                                          CFileExtentRecallFileMetadata start = CFileExtentRecallFileMetadata())
{
    EXPECT_FALSE(CFileExtentRecallFileMetadata::DeserializeFromString(text, start).IsError());
    return start;
}

CRecallRequestStats SampleStats()
{
    CRecallRequestStats stats;
    stats.PreLookupTimeTaken = CTimeInterval::From100NS(1);
    stats.LookupTimeTaken = CTimeInterval::From100NS(2);
    stats.InDMRQueue = CTimeInterval::From100NS(3);
    stats.InPipeline = CTimeInterval::From100NS(4);
    stats.InTapeCheck = CTimeInterval::From100NS(5);
    stats.InMAArbitration = CTimeInterval::From100NS(6);
    stats.RecallStartTime = CTimeStamp::FromUnixTime(1700000000);
    stats.RecallDuration = CTimeInterval::From100NS(0x123456789ALL);
    return stats;
}

CFileExtentRecallFileMetadata SampleMetadata()
{
    CFileExtentRecallFileMetadata metadata;
    metadata.Version = 2;
    metadata.SCId = 0xFFFFFFFFu;
    metadata.FileSize = 0xFFFFFFFFFFFFFFFFULL;
    metadata.FileExtentSize = 1 << 20;
    metadata.StubType = 3;
    metadata.StubCacheFilePath = "/cache/it's \"here\"";
    metadata.StubData = "stub\tdata";
    metadata.Flags = 0x80000000u;
    metadata.Attributes = 0x20;
    metadata.CreationTime = 1;
    metadata.LastAccessTime = 2;
    metadata.LastWriteTime = 3;
    metadata.ChangeTime = 4;
    metadata.OriginInfo = "origin";
    metadata.Stats = SampleStats();
    return metadata;
}

TEST(RecallEncodingTest, NewMetadataWritesDefaultsAndStatsAsItsOwnJsonText)
{
    const nlohmann::json json = ParseObject(Serialize(CFileExtentRecallFileMetadata()));

    EXPECT_EQ(15u, json.size());
    EXPECT_EQ(1u, json.at("Version").get<std::uint64_t>());
    for (const char* key : {"SCId", "FileSize", "FileExtentSize", "StubType", "Flags", "Attributes", "CreationTime",
                            "LastAccessTime", "LastWriteTime", "ChangeTime"})
    {
        ASSERT_TRUE(json.at(key).is_number_unsigned()) << key;
        EXPECT_EQ(0u, json.at(key).get<std::uint64_t>()) << key;
    }
    for (const char* key : {"StubCacheFilePath", "StubData", "OriginInfo"})
        EXPECT_EQ("", json.at(key).get<std::string>()) << key;

    ASSERT_TRUE(json.at("Stats").is_string());
    const nlohmann::json stats = ParseObject(json.at("Stats").get<std::string>());
    EXPECT_EQ(8u, stats.size());
    for (const auto& member : stats.items())
        EXPECT_EQ(0u, member.value().get<std::uint64_t>()) << member.key();
    EXPECT_EQ(1u, stats.count("RecallStartTime"));
}

TEST(RecallEncodingTest, MetadataRoundTripsEveryMember)
{
    const CFileExtentRecallFileMetadata metadata = SampleMetadata();
    const CFileExtentRecallFileMetadata back = Deserialize(Serialize(metadata));
    EXPECT_EQ(metadata, back);
    EXPECT_EQ(0x123456789ALL, back.Stats.RecallDuration.As100NSIntervals());
}

TEST(RecallEncodingTest, ThirtyTwoBitMembersAreWidenedWithoutSignExtension)
{
    CFileExtentRecallFileMetadata metadata;
    metadata.Flags = 0xFFFFFFFFu;
    EXPECT_EQ(0xFFFFFFFFu, ParseObject(Serialize(metadata)).at("Flags").get<std::uint64_t>());
}

TEST(RecallEncodingTest, PartialTextChangesOnlyTheKeysItHolds)
{
    const CFileExtentRecallFileMetadata start = SampleMetadata();
    const CFileExtentRecallFileMetadata read = Deserialize(R"({"Version": 9, "FileSize": 77})", start);

    CFileExtentRecallFileMetadata expected = start;
    expected.Version = 9;
    expected.FileSize = 77;
    EXPECT_EQ(expected, read);
}

TEST(RecallEncodingTest, ThirtyTwoBitMembersKeepTheLowBitsAndSixtyFourBitMembersKeepAll)
{
    const CFileExtentRecallFileMetadata read =
        Deserialize(R"({"Flags": 4294967297, "FileSize": 4294967297, "SCId": 18446744073709551615})");
    EXPECT_EQ(1u, read.Flags);
    EXPECT_EQ(4294967297ULL, read.FileSize);
    EXPECT_EQ(0xFFFFFFFFu, read.SCId);
}

TEST(RecallEncodingTest, ValuesOfTheWrongTypeReadAsAbsent)
{
    const CFileExtentRecallFileMetadata start = SampleMetadata();
    const CFileExtentRecallFileMetadata read = Deserialize(
        R"({"Version": "7", "StubData": 5, "FileSize": -3, "SCId": 1.5, "Attributes": null,
            "CreationTime": [1], "OriginInfo": {"a": 1}, "Stats": {"RecallDuration": 1}, "Flags": 4.0})",
        start);

    CFileExtentRecallFileMetadata expected = start;
    expected.Flags = 4; // a whole number in floating form is still that number
    EXPECT_EQ(expected, read);
}

TEST(RecallEncodingTest, MalformedTextChangesNothingAndSucceeds)
{
    const CFileExtentRecallFileMetadata start = SampleMetadata();
    for (const char* text : {"", "{", "not json", "[1, 2]", "{\"Version\": 3", "null"})
        EXPECT_EQ(start, Deserialize(text, start)) << text;

    CRecallRequestStats stats = SampleStats();
    EXPECT_FALSE(CRecallRequestStats::DeserializeFromString("{\"InPipeline\":", stats).IsError());
    EXPECT_EQ(SampleStats(), stats);
}

TEST(RecallEncodingTest, StatsTextInsideMetadataIsReadWithTheStatisticsReader)
{
    const CFileExtentRecallFileMetadata read =
        Deserialize(R"({"Stats": "{\"InTapeCheck\": 42, \"RecallStartTime\": \"x\"}"})", SampleMetadata());
    CRecallRequestStats expected = SampleStats();
    expected.InTapeCheck = CTimeInterval::From100NS(42);
    EXPECT_EQ(expected, read.Stats);

    // Stats text that does not parse leaves the statistics alone.
    EXPECT_EQ(SampleStats(), Deserialize(R"({"Stats": "garbage"})", SampleMetadata()).Stats);
}

std::string EveryByteValue()
{
    std::string bytes;
    for (int value = 0; value < 256; ++value)
        bytes += static_cast<char>(value);
    return bytes;
}

// Stub data and paths are the host's bytes, not necessarily text: whatever they hold comes back.
TEST(RecallEncodingTest, StringMembersComeBackByteForByte)
{
    CFileExtentRecallFileMetadata metadata;
    metadata.StubData = EveryByteValue();
    metadata.StubCacheFilePath = std::string("/cache/\xff\xfe\0x", 11);
    metadata.OriginInfo = "surrogate \xed\xa0\x80 overlong \xc0\xaf beyond U+10FFFF \xf4\x90\x80\x80 cut \xe2\x82";
    EXPECT_EQ(metadata, Deserialize(Serialize(metadata)));
}

// Texts that are valid UTF-8 (a NUL included) are stored as they always were, under their own key only.
TEST(RecallEncodingTest, ValidUtf8IsStoredAsItsTextAlone)
{
    CFileExtentRecallFileMetadata metadata;
    metadata.StubData = std::string("caf\xc3\xa9 \xf0\x9f\x98\x80 \0 \xf4\x8f\xbf\xbf", 17);
    const nlohmann::json json = ParseObject(Serialize(metadata));
    EXPECT_EQ(15u, json.size());
    EXPECT_EQ(metadata.StubData, json.at("StubData").get<std::string>());
}

// Other bytes keep today's replaced text for readers that know only that key, and their exact
// form beside it.
TEST(RecallEncodingTest, ExactBytesAreStoredBesideTheReplacedText)
{
    CFileExtentRecallFileMetadata metadata;
    metadata.OriginInfo = "ab\xff";
    const nlohmann::json json = ParseObject(Serialize(metadata));
    EXPECT_EQ("ab\xef\xbf\xbd", json.at("OriginInfo").get<std::string>());
    EXPECT_EQ("YWL/", json.at("OriginInfoBase64").get<std::string>());
    EXPECT_EQ(0u, json.count("StubDataBase64"));
}

TEST(RecallEncodingTest, ExactBytesThatDoNotDecodeLeaveTheText)
{
    EXPECT_EQ("ab\xff", Deserialize(R"({"StubData": "text", "StubDataBase64": "YWL/"})").StubData);
    for (const char* bytes : {"\"YWL\"", "\"YW=L\"", "\"YW==\"", "\"YWL*\"", "\"=\"", "7", "null"})
        EXPECT_EQ("text", Deserialize(std::string(R"({"StubData": "text", "StubDataBase64": )") + bytes + "}").StubData)
            << bytes;
}

CRecallRequestStats RoundTrip(const CRecallRequestStats& stats)
{
    std::string text;
    EXPECT_FALSE(CRecallRequestStats::SerializeToString(stats, text).IsError());
    CRecallRequestStats back = SampleStats();
    EXPECT_FALSE(CRecallRequestStats::DeserializeFromString(text, back).IsError());
    return back;
}

TEST(RecallEncodingTest, StartTimeIsStoredInWholeSeconds)
{
    CRecallRequestStats stats;
    stats.RecallStartTime = CTimeStamp::FromUnixTime(1700000000);
    EXPECT_EQ(stats.RecallStartTime, RoundTrip(stats).RecallStartTime);

    stats.RecallStartTime = CTimeStamp(CTimeStamp::FromUnixTime(1700000000).Ticks() + 9999999);
    EXPECT_EQ(CTimeStamp::FromUnixTime(1700000000), RoundTrip(stats).RecallStartTime);

    std::string text;
    CRecallRequestStats::SerializeToString(stats, text);
    EXPECT_EQ(1700000000u, ParseObject(text).at("RecallStartTime").get<std::uint64_t>());
}

TEST(RecallEncodingTest, ClearStartTimeIsWrittenAsZeroAndReadBackClear)
{
    const CRecallRequestStats stats;
    std::string text;
    CRecallRequestStats::SerializeToString(stats, text);
    EXPECT_EQ(0u, ParseObject(text).at("RecallStartTime").get<std::uint64_t>());
    EXPECT_TRUE(RoundTrip(stats).RecallStartTime.IsClear());
}

TEST(RecallEncodingTest, NegativeIntervalsAndStartTimesBeforeNineteenSeventySurvive)
{
    CRecallRequestStats stats;
    stats.InDMRQueue = CTimeInterval::From100NS(-5);
    stats.RecallStartTime = CTimeStamp::FromUnixTime(-86400);
    EXPECT_EQ(stats, RoundTrip(stats));
}

// Found by fuzzing: seconds whose ticks do not fit used to read as a wrapped time that wrote back
// as another one.
TEST(RecallEncodingTest, StartTimesBeyondTheTickRangeReadAsAbsent)
{
    for (const char* seconds : {"1700000000000000", "910692730086", "18446743151372347930"})
    {
        CRecallRequestStats stats = SampleStats();
        CRecallRequestStats::DeserializeFromString(std::string("{\"RecallStartTime\":") + seconds + "}", stats);
        EXPECT_EQ(SampleStats(), stats) << seconds;
    }
    for (const CTimeStamp edge : {CTimeStamp::FromUnixTime(910692730085), CTimeStamp::FromUnixTime(-922337203685),
                                  CTimeStamp(CTimeStamp::kFilled)})
    {
        CRecallRequestStats stats;
        stats.RecallStartTime = edge;
        EXPECT_EQ(edge, RoundTrip(stats).RecallStartTime) << edge.Ticks();
    }
}

TEST(RecalledItemTest, ResetEngagesEveryMemberButKeepsMetadata)
{
    CRecalledItem item;
    item.Metadata = SampleMetadata();
    item.FilePath = "/a";
    item.Reset();

    EXPECT_EQ("", item.FilePath);
    ASSERT_TRUE(item.RestoredFilePath && item.ErrorCode && item.Status && item.ContainerItemRestored &&
                item.PostProcessAction && item.NumOfExtents && item.ExtentBitmap);
    EXPECT_EQ(PROGRESSING, *item.Status);
    EXPECT_FALSE(*item.ContainerItemRestored);
    EXPECT_EQ(0u, item.ExtentBitmap->size());
    ASSERT_TRUE(item.Metadata);
    EXPECT_EQ(SampleMetadata(), *item.Metadata);

    CRecalledItem fresh;
    fresh.Reset();
    EXPECT_FALSE(fresh.Metadata);
}

TEST(RecallReportTest, FillsFromRecordAndNeverClaimsTheContainerWasRestored)
{
    CRecalledItem item;
    item.Reset();
    item.FilePath = "/a";
    item.RestoredFilePath = "/b";
    item.Status = FAILED;
    item.ErrorCode = 5u;
    item.ContainerItemRestored = true;
    item.NumOfExtents = static_cast<std::int64_t>(3);
    item.ExtentBitmap = boost::dynamic_bitset<unsigned char>(3, 5);
    item.Metadata = SampleMetadata();

    CFileExtentRecallFileReport report;
    report.ContainerItemRestored = true;
    report.FillFrom(item);
    EXPECT_EQ("/a", report.FilePath);
    EXPECT_EQ("/b", report.RestoredFilePath);
    EXPECT_EQ(FAILED, report.Status.Status);
    EXPECT_EQ(5u, report.Status.ErrCode);
    EXPECT_EQ(3u, report.NoOfExtents);
    EXPECT_FALSE(report.ContainerItemRestored);
    EXPECT_EQ(*item.ExtentBitmap, report.ExtentBitmap);
    EXPECT_EQ(SampleMetadata(), report.Metadata);
}
} // namespace
