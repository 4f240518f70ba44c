#include "recall/FileExtentRecallFileMetadata.h"

#include "platform/KtJsonLib/KtJsonLib.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "recall/RecallJsonFields.h"

#include <new>

namespace FILEEXTENTRECALLDB
{
namespace
{
typedef CFileExtentRecallFileMetadata Metadata;

template <class T>
struct Field
{
    const char* key;
    T Metadata::*member;
};

const Field<std::uint32_t> kUInt32Fields[] = {
    {"Version", &Metadata::Version}, {"SCId", &Metadata::SCId},         {"StubType", &Metadata::StubType},
    {"Flags", &Metadata::Flags},     {"Attributes", &Metadata::Attributes},
};

const Field<std::uint64_t> kUInt64Fields[] = {
    {"FileSize", &Metadata::FileSize},         {"FileExtentSize", &Metadata::FileExtentSize},
    {"CreationTime", &Metadata::CreationTime}, {"LastAccessTime", &Metadata::LastAccessTime},
    {"LastWriteTime", &Metadata::LastWriteTime}, {"ChangeTime", &Metadata::ChangeTime},
};

const Field<std::string> kStringFields[] = {
    {"StubCacheFilePath", &Metadata::StubCacheFilePath},
    {"StubData", &Metadata::StubData},
    {"OriginInfo", &Metadata::OriginInfo},
};

const char kStats[] = "Stats";

CZuError ToObject(const Metadata& metadata, json_spirit::mObject& object)
{
    // 32-bit members are widened to unsigned 64-bit numbers, never sign-extended.
    for (const auto& field : kUInt32Fields)
        object[field.key] = static_cast<std::uint64_t>(metadata.*field.member);
    for (const auto& field : kUInt64Fields)
        object[field.key] = metadata.*field.member;
    for (const auto& field : kStringFields)
        RecallJsonFields::WriteBytes(object, field.key, metadata.*field.member);
    std::string stats;
    CZuError err = CRecallRequestStats::SerializeToString(metadata.Stats, stats);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    object[kStats] = std::move(stats);
    return CZuError::Success();
}

void FromObject(const json_spirit::mObject& object, Metadata& metadata)
{
    for (const auto& field : kUInt32Fields)
        RecallJsonFields::ReadUInt32(object, field.key, metadata.*field.member);
    for (const auto& field : kUInt64Fields)
        RecallJsonFields::ReadUInt64(object, field.key, metadata.*field.member);
    for (const auto& field : kStringFields)
        RecallJsonFields::ReadBytes(object, field.key, metadata.*field.member);
    std::string stats;
    if (RecallJsonFields::ReadString(object, kStats, stats))
        CRecallRequestStats::DeserializeFromString(stats, metadata.Stats);
}
} // namespace

CZuError CFileExtentRecallFileMetadata::SerializeToString(const CFileExtentRecallFileMetadata& metadata,
                                                          std::string& out)
{
    try
    {
        json_spirit::mObject object;
        CZuError err = ToObject(metadata, object);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        // The writer swallows its own allocation failures and leaves out empty.
        if (!KtJson::Serialize(object, out))
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    return CZuError::Success();
}

CZuError CFileExtentRecallFileMetadata::DeserializeFromString(const std::string& text,
                                                              CFileExtentRecallFileMetadata& metadata)
{
    json_spirit::mObject object;
    KtJson::Unserialize(text, object);
    try
    {
        FromObject(object, metadata);
    }
    catch (const std::bad_alloc&)
    {
        // Copying a string member can run out of memory; the members read so far stay read.
    }
    return CZuError::Success();
}

bool CFileExtentRecallFileMetadata::operator==(const CFileExtentRecallFileMetadata& other) const
{
    for (const auto& field : kUInt32Fields)
        if (this->*field.member != other.*field.member)
            return false;
    for (const auto& field : kUInt64Fields)
        if (this->*field.member != other.*field.member)
            return false;
    for (const auto& field : kStringFields)
        if (this->*field.member != other.*field.member)
            return false;
    return Stats == other.Stats;
}
} // namespace FILEEXTENTRECALLDB
