#include "fuzz/FuzzCheck.h"
#include "recall/FileExtentRecallFileMetadata.h"

using FILEEXTENTRECALLDB::CFileExtentRecallFileMetadata;

namespace
{
// The text written directly is the text the object path writes, byte for byte.
std::string Written(const CFileExtentRecallFileMetadata& metadata)
{
    std::string written, throughObject;
    FuzzCheck::Require(!CFileExtentRecallFileMetadata::SerializeToString(metadata, written).IsError(),
                       "metadata could not be written");
    FuzzCheck::Require(!CFileExtentRecallFileMetadata::SerializeThroughObject(metadata, throughObject).IsError(),
                       "metadata could not be written through the object");
    FuzzCheck::Require(written == throughObject, "the direct text differs from the object path's");
    return written;
}

CFileExtentRecallFileMetadata RoundTrip(const CFileExtentRecallFileMetadata& metadata)
{
    CFileExtentRecallFileMetadata again;
    FuzzCheck::Require(!CFileExtentRecallFileMetadata::DeserializeFromString(Written(metadata), again).IsError(),
                       "reading written metadata failed");
    return again;
}
} // namespace

// Any stored metadata text reads without fault into metadata that writes back as a text reading
// to the same metadata. And the input's bytes, whatever they are, survive as each string member.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes = FuzzCheck::Bytes(data, size);
    CFileExtentRecallFileMetadata read;
    FuzzCheck::Require(!CFileExtentRecallFileMetadata::DeserializeFromString(bytes, read).IsError(),
                       "reading metadata failed");
    FuzzCheck::Require(RoundTrip(read) == read, "the metadata read back differently");

    CFileExtentRecallFileMetadata carried;
    carried.StubData = bytes;
    carried.StubCacheFilePath = std::string(bytes.rbegin(), bytes.rend());
    carried.OriginInfo = bytes.substr(size / 2);
    FuzzCheck::Require(RoundTrip(carried) == carried, "string members did not come back byte for byte");
    return 0;
}
