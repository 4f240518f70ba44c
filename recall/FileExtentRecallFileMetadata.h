#pragma once

#include "platform/ZuUtils/ZuError.h"
#include "recall/RecallRequestStats.h"

#include <cstdint>
#include <string>

namespace FILEEXTENTRECALLDB
{
// Stub metadata of a recalled file with its recall statistics, stored as one JSON object whose keys
// are the member names. Stats is kept as a string holding the statistics' own JSON text. The three
// string members are bytes and read back exactly: those that are not valid UTF-8 also carry their
// exact form under "<name>Base64" (see RecallJsonFields::WriteBytes).
class CFileExtentRecallFileMetadata
{
public:
    std::uint32_t Version = 1;
    std::uint32_t SCId = 0;
    std::uint64_t FileSize = 0;
    std::uint64_t FileExtentSize = 0;
    std::uint32_t StubType = 0;
    std::string StubCacheFilePath;
    std::string StubData;
    std::uint32_t Flags = 0;
    std::uint32_t Attributes = 0;
    std::uint64_t CreationTime = 0;
    std::uint64_t LastAccessTime = 0;
    std::uint64_t LastWriteTime = 0;
    std::uint64_t ChangeTime = 0;
    std::string OriginInfo;
    CRecallRequestStats Stats;

    // Writing fails only when memory runs out. Reading always succeeds: members whose keys are
    // absent or hold a value of the wrong type keep their values; 32-bit members take the low
    // 32 bits of the stored number.
    static CZuError SerializeToString(const CFileExtentRecallFileMetadata& metadata, std::string& out);
    // The same bytes, made as they always were: by building a JSON object first, the statistics' text
    // included. SerializeToString builds the object only for string members that are not valid UTF-8;
    // this is the reference its direct text is checked against.
    static CZuError SerializeThroughObject(const CFileExtentRecallFileMetadata& metadata, std::string& out);
    static CZuError DeserializeFromString(const std::string& text, CFileExtentRecallFileMetadata& metadata);

    bool operator==(const CFileExtentRecallFileMetadata& other) const;
    bool operator!=(const CFileExtentRecallFileMetadata& other) const { return !(*this == other); }
};
} // namespace FILEEXTENTRECALLDB
