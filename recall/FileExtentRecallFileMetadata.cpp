#include "recall/FileExtentRecallFileMetadata.h"

#include "foundation/ErrorPropagation.h"
#include "platform/KtJsonLib/KtJsonLib.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "recall/RecallJsonFields.h"
#include "recall/RecallJsonWriter.h"

#include <cstddef>
#include <new>
#include <variant>

namespace FILEEXTENTRECALLDB
{
namespace
{
typedef CFileExtentRecallFileMetadata Metadata;

// One stored member: its key and the member it holds.
struct Member
{
    const char* key;
    std::variant<std::uint32_t Metadata::*, std::uint64_t Metadata::*, std::string Metadata::*,
                 CRecallRequestStats Metadata::*>
        member;
};

// In key order, the order of the stored object, which the direct writer keeps.
const Member kMembers[] = {
    {"Attributes", &Metadata::Attributes},
    {"ChangeTime", &Metadata::ChangeTime},
    {"CreationTime", &Metadata::CreationTime},
    {"FileExtentSize", &Metadata::FileExtentSize},
    {"FileSize", &Metadata::FileSize},
    {"Flags", &Metadata::Flags},
    {"LastAccessTime", &Metadata::LastAccessTime},
    {"LastWriteTime", &Metadata::LastWriteTime},
    {"OriginInfo", &Metadata::OriginInfo},
    {"SCId", &Metadata::SCId},
    {"Stats", &Metadata::Stats},
    {"StubCacheFilePath", &Metadata::StubCacheFilePath},
    {"StubData", &Metadata::StubData},
    {"StubType", &Metadata::StubType},
    {"Version", &Metadata::Version},
};

// Keys, punctuation and eleven numbers of up to 20 digits come to under 440 bytes.
const std::size_t kLongestTextBesidesStrings = 448;

template <class... Visitors>
struct Overloaded : Visitors...
{
    using Visitors::operator()...;
};
template <class... Visitors>
Overloaded(Visitors...) -> Overloaded<Visitors...>;

// Strings rarely need escapes, so this is the whole text's size but for a few bytes; the stats
// text gains a backslash before each of its quotes.
std::size_t ExpectedSize(const Metadata& metadata, const std::string& stats)
{
    return kLongestTextBesidesStrings + metadata.StubCacheFilePath.size() + metadata.StubData.size() +
           metadata.OriginInfo.size() + 2 * stats.size();
}

// False, with out unchanged, when a string member needs the object path.
bool WriteDirectly(const Metadata& metadata, const std::string& stats, std::string& out)
{
    CRecallJsonWriter json(ExpectedSize(metadata, stats));
    for (const Member& member : kMembers)
    {
        const bool written = std::visit(
            Overloaded{[&](std::uint32_t Metadata::*number) { json.Number(member.key, metadata.*number); return true; },
                       [&](std::uint64_t Metadata::*number) { json.Number(member.key, metadata.*number); return true; },
                       [&](std::string Metadata::*bytes) { return json.String(member.key, metadata.*bytes); },
                       [&](CRecallRequestStats Metadata::*) { return json.String(member.key, stats); }},
            member.member);
        if (!written)
            return false;
    }
    json.Finish(out);
    return true;
}

void ToObject(const Metadata& metadata, const std::string& stats, json_spirit::mObject& object)
{
    for (const Member& member : kMembers)
    {
        // 32-bit members are widened to unsigned 64-bit numbers, never sign-extended.
        std::visit(Overloaded{[&](std::uint32_t Metadata::*number) {
                                  object[member.key] = static_cast<std::uint64_t>(metadata.*number);
                              },
                              [&](std::uint64_t Metadata::*number) { object[member.key] = metadata.*number; },
                              [&](std::string Metadata::*bytes) {
                                  RecallJsonFields::WriteBytes(object, member.key, metadata.*bytes);
                              },
                              [&](CRecallRequestStats Metadata::*) { object[member.key] = stats; }},
                   member.member);
    }
}

// The slow path: builds the object, then writes its text.
CZuError WriteThroughObject(const Metadata& metadata, const std::string& stats, std::string& out)
{
    try
    {
        json_spirit::mObject object;
        ToObject(metadata, stats, object);
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

void FromObject(const json_spirit::mObject& object, Metadata& metadata)
{
    for (const Member& member : kMembers)
    {
        std::visit(Overloaded{[&](std::uint32_t Metadata::*number) {
                                  RecallJsonFields::ReadUInt32(object, member.key, metadata.*number);
                              },
                              [&](std::uint64_t Metadata::*number) {
                                  RecallJsonFields::ReadUInt64(object, member.key, metadata.*number);
                              },
                              [&](std::string Metadata::*bytes) {
                                  RecallJsonFields::ReadBytes(object, member.key, metadata.*bytes);
                              },
                              [&](CRecallRequestStats Metadata::*stats) {
                                  std::string text;
                                  if (RecallJsonFields::ReadString(object, member.key, text))
                                      CRecallRequestStats::DeserializeFromString(text, metadata.*stats);
                              }},
                   member.member);
    }
}

// The text of SerializeToString, written afresh.
CZuError WriteText(const Metadata& metadata, std::string& out)
{
    std::string stats;
    FX_RETURN_IF_ERROR(CRecallRequestStats::SerializeToString(metadata.Stats, stats));
    try
    {
        if (WriteDirectly(metadata, stats, out))
            return CZuError::Success();
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    // A string member that is not valid UTF-8: the object path stores its replaced text and exact bytes.
    FX_RETURN_PROPAGATED(WriteThroughObject(metadata, stats, out));
}

// The last text written on this thread and the metadata it was written from. The recall manager
// writes a record's metadata at each write of the record, mostly unchanged since the last one: a
// comparison and a copy then replace writing the statistics' text and the whole object's.
struct CLastText
{
    bool valid = false;
    Metadata metadata;
    std::string text;
};
thread_local CLastText t_lastText;

void RememberText(const Metadata& metadata, const std::string& text)
{
    t_lastText.valid = false;
    try
    {
        t_lastText.metadata = metadata;
        t_lastText.text = text;
        t_lastText.valid = true;
    }
    catch (const std::bad_alloc&)
    {
        // Nothing remembered: the next call writes its text afresh.
    }
}
} // namespace

CZuError CFileExtentRecallFileMetadata::SerializeToString(const CFileExtentRecallFileMetadata& metadata,
                                                          std::string& out)
{
    if (t_lastText.valid && t_lastText.metadata == metadata)
    {
        try
        {
            out = t_lastText.text;
            return CZuError::Success();
        }
        catch (const std::bad_alloc&)
        {
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
        }
    }
    FX_RETURN_IF_ERROR(WriteText(metadata, out));
    RememberText(metadata, out);
    return CZuError::Success();
}

CZuError CFileExtentRecallFileMetadata::SerializeThroughObject(const CFileExtentRecallFileMetadata& metadata,
                                                               std::string& out)
{
    std::string stats;
    FX_RETURN_IF_ERROR(CRecallRequestStats::SerializeThroughObject(metadata.Stats, stats));
    FX_RETURN_PROPAGATED(WriteThroughObject(metadata, stats, out));
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
    for (const Member& member : kMembers)
    {
        if (!std::visit([&](auto field) { return this->*field == other.*field; }, member.member))
            return false;
    }
    return true;
}
} // namespace FILEEXTENTRECALLDB
