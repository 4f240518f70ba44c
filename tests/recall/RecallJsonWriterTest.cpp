#include "platform/KtJsonLib/KtJsonLib.h"
#include "recall/FileExtentRecallFileMetadata.h"
#include "recall/RecallJsonWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

using namespace FILEEXTENTRECALLDB;

namespace
{
// The direct text of the recall metadata and statistics must be the bytes the object path wrote,
// so that stored rows do not change with the writer that made them.
class RecallJsonWriterTest : public ::testing::Test
{
protected:
    static std::string Direct(const std::string& value)
    {
        CRecallJsonWriter json(0);
        EXPECT_TRUE(json.String("Key", value));
        std::string text;
        json.Finish(text);
        return text;
    }

    static std::string ThroughObject(const std::string& value)
    {
        std::string text;
        EXPECT_TRUE(KtJson::Serialize(json_spirit::mObject{{"Key", value}}, text));
        return text;
    }

    static void ExpectSameText(const CFileExtentRecallFileMetadata& metadata)
    {
        std::string direct, throughObject;
        ASSERT_FALSE(CFileExtentRecallFileMetadata::SerializeToString(metadata, direct).IsError());
        ASSERT_FALSE(CFileExtentRecallFileMetadata::SerializeThroughObject(metadata, throughObject).IsError());
        EXPECT_EQ(throughObject, direct);

        ASSERT_FALSE(CRecallRequestStats::SerializeToString(metadata.Stats, direct).IsError());
        ASSERT_FALSE(CRecallRequestStats::SerializeThroughObject(metadata.Stats, throughObject).IsError());
        EXPECT_EQ(throughObject, direct);
    }
};

TEST_F(RecallJsonWriterTest, EveryAsciiCharacterIsEscapedAsTheObjectWriterEscapesIt)
{
    EXPECT_EQ(ThroughObject(""), Direct(""));
    for (int byte = 0; byte < 0x80; ++byte)
    {
        const std::string value = std::string(1, static_cast<char>(byte)) + "x\"\\" + static_cast<char>(byte);
        EXPECT_EQ(ThroughObject(value), Direct(value)) << "byte " << byte;
    }
}

// What the object writer would replace is refused, so that the caller takes that path.
TEST_F(RecallJsonWriterTest, BytesThatAreNotUtf8AreRefused)
{
    for (const char* bytes : {"\x80", "\xff", "a\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xe2\x82"})
    {
        CRecallJsonWriter json(0);
        EXPECT_FALSE(json.String("Key", bytes)) << bytes;
        EXPECT_NE(std::string::npos, ThroughObject(bytes).find("\xef\xbf\xbd")) << bytes;
    }
}

TEST_F(RecallJsonWriterTest, MetadataTextIsTheObjectPathText)
{
    CFileExtentRecallFileMetadata metadata;
    ExpectSameText(metadata);

    metadata.Version = metadata.SCId = metadata.StubType = metadata.Flags = metadata.Attributes = UINT32_MAX;
    metadata.FileSize = metadata.FileExtentSize = metadata.CreationTime = UINT64_MAX;
    metadata.LastAccessTime = metadata.LastWriteTime = metadata.ChangeTime = UINT64_MAX;
    metadata.StubCacheFilePath = "C:\\stubs\\\"quoted\" name\x7f.bin";
    metadata.StubData = std::string("\0\x01\x1f\b\t\n\f\r\x7f", 9);
    metadata.OriginInfo = "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80 \xf4\x8f\xbf\xbf \xef\xbf\xbd";
    metadata.Stats.PreLookupTimeTaken = CTimeInterval::From100NS(INT64_MAX);
    metadata.Stats.InDMRQueue = CTimeInterval::From100NS(INT64_MIN);
    metadata.Stats.RecallDuration = CTimeInterval::From100NS(-1);
    for (const CTimeStamp start : {CTimeStamp(), CTimeStamp(CTimeStamp::kFilled), CTimeStamp::FromUnixTime(-1),
                                   CTimeStamp::FromUnixTime(1700000000), CTimeStamp(INT64_MIN)})
    {
        metadata.Stats.RecallStartTime = start;
        ExpectSameText(metadata);
    }
}

// Bytes the writer refuses take the object path whole, exact form beside the replaced text.
TEST_F(RecallJsonWriterTest, MetadataWithBytesThatAreNotUtf8TakesTheObjectPath)
{
    CFileExtentRecallFileMetadata metadata;
    metadata.StubCacheFilePath = "\"first\"";
    metadata.StubData = "ab\xff";
    ExpectSameText(metadata);
    std::string text;
    ASSERT_FALSE(CFileExtentRecallFileMetadata::SerializeToString(metadata, text).IsError());
    EXPECT_NE(std::string::npos, text.find("\"StubDataBase64\":\"YWL/\""));
}

// A text is written afresh whenever any member differs from the last one written on the thread,
// and threads do not see each other's last text.
TEST_F(RecallJsonWriterTest, EveryChangedMemberChangesTheTextOnEveryThread)
{
    CFileExtentRecallFileMetadata base;
    base.StubData = "stub";
    base.Stats.RecallStartTime = CTimeStamp::FromUnixTime(1700000000);
    const std::vector<std::function<void(CFileExtentRecallFileMetadata&)>> changes = {
        [](auto& m) { m.Version = 2; }, [](auto& m) { m.SCId = 1; }, [](auto& m) { m.FileSize = 1; },
        [](auto& m) { m.FileExtentSize = 1; }, [](auto& m) { m.StubType = 1; },
        [](auto& m) { m.StubCacheFilePath = "/c"; }, [](auto& m) { m.StubData = "stuB"; },
        [](auto& m) { m.Flags = 1; }, [](auto& m) { m.Attributes = 1; }, [](auto& m) { m.CreationTime = 1; },
        [](auto& m) { m.LastAccessTime = 1; }, [](auto& m) { m.LastWriteTime = 1; },
        [](auto& m) { m.ChangeTime = 1; }, [](auto& m) { m.OriginInfo = "o"; },
        [](auto& m) { m.Stats.PreLookupTimeTaken = CTimeInterval::From100NS(1); },
        [](auto& m) { m.Stats.LookupTimeTaken = CTimeInterval::From100NS(1); },
        [](auto& m) { m.Stats.InDMRQueue = CTimeInterval::From100NS(1); },
        [](auto& m) { m.Stats.InPipeline = CTimeInterval::From100NS(1); },
        [](auto& m) { m.Stats.InTapeCheck = CTimeInterval::From100NS(1); },
        [](auto& m) { m.Stats.InMAArbitration = CTimeInterval::From100NS(1); },
        [](auto& m) { m.Stats.RecallStartTime = CTimeStamp::FromUnixTime(1700000001); },
        [](auto& m) { m.Stats.RecallDuration = CTimeInterval::From100NS(1); },
    };
    for (std::size_t index = 0; index < changes.size(); ++index)
    {
        CFileExtentRecallFileMetadata changed = base;
        changes[index](changed);
        for (const CFileExtentRecallFileMetadata* metadata : {&base, &changed, &changed, &base})
        {
            std::string text, reference;
            ASSERT_FALSE(CFileExtentRecallFileMetadata::SerializeToString(*metadata, text).IsError());
            ASSERT_FALSE(CFileExtentRecallFileMetadata::SerializeThroughObject(*metadata, reference).IsError());
            EXPECT_EQ(reference, text) << "change " << index;
        }
    }

    std::vector<std::thread> threads;
    std::vector<int> mismatches(changes.size(), 0);
    for (std::size_t index = 0; index < changes.size(); ++index)
        threads.emplace_back([&, index] {
            CFileExtentRecallFileMetadata metadata = base;
            changes[index](metadata);
            std::string reference;
            CFileExtentRecallFileMetadata::SerializeThroughObject(metadata, reference);
            for (int round = 0; round < 200; ++round)
            {
                std::string text;
                CFileExtentRecallFileMetadata::SerializeToString(metadata, text);
                mismatches[index] += text != reference;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(std::vector<int>(changes.size(), 0), mismatches);
}
} // namespace
