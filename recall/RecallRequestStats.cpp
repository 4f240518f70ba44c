#include "recall/RecallRequestStats.h"

#include "platform/KtJsonLib/KtJsonLib.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "recall/RecallJsonFields.h"
#include "recall/RecallJsonWriter.h"

#include <cstddef>
#include <cstdint>
#include <new>

namespace FILEEXTENTRECALLDB
{
namespace
{
// The seven interval members with their keys, in key order (the order of the stored object), which
// the direct writer keeps. The start time's key sorts after them all; it is handled on its own.
struct IntervalField
{
    const char* key;
    CTimeInterval CRecallRequestStats::*member;
};

const IntervalField kIntervals[] = {
    {"InDMRQueue", &CRecallRequestStats::InDMRQueue},
    {"InMAArbitration", &CRecallRequestStats::InMAArbitration},
    {"InPipeline", &CRecallRequestStats::InPipeline},
    {"InTapeCheck", &CRecallRequestStats::InTapeCheck},
    {"LookupTimeTaken", &CRecallRequestStats::LookupTimeTaken},
    {"PreLookupTimeTaken", &CRecallRequestStats::PreLookupTimeTaken},
    {"RecallDuration", &CRecallRequestStats::RecallDuration},
};

const char kRecallStartTime[] = "RecallStartTime";

// Keys, punctuation and eight numbers of up to 20 digits come to just over 300 bytes.
const std::size_t kLongestText = 320;

// Signed counts are stored in their unsigned form; reading casts back, so a negative value survives.
std::uint64_t AsStored(std::int64_t value) { return static_cast<std::uint64_t>(value); }
std::int64_t FromStored(std::uint64_t value) { return static_cast<std::int64_t>(value); }

// Seconds whose ticks fit read as that time; the writer's mark of a filled stamp reads as filled.
// Any other count reads as absent: its ticks would wrap into a time that writes back differently.
bool StartTimeFromSeconds(std::int64_t seconds, CTimeStamp& out)
{
    const std::int64_t lowest = INT64_MIN / CTimeStamp::kTicksPerSecond;
    const std::int64_t highest = (INT64_MAX - CTimeStamp::kUnixEpochTicks) / CTimeStamp::kTicksPerSecond;
    if (seconds == CTimeStamp::kFilled)
        out = CTimeStamp(CTimeStamp::kFilled);
    else if (seconds >= lowest && seconds <= highest)
        out = CTimeStamp::FromUnixTime(seconds);
    else
        return false;
    return true;
}

void WriteDirectly(const CRecallRequestStats& stats, std::string& out)
{
    CRecallJsonWriter json(kLongestText);
    for (const IntervalField& field : kIntervals)
        json.Number(field.key, AsStored((stats.*field.member).As100NSIntervals()));
    json.Number(kRecallStartTime, AsStored(stats.RecallStartTime.AsUnixTime()));
    json.Finish(out);
}

json_spirit::mObject ToObject(const CRecallRequestStats& stats)
{
    json_spirit::mObject object;
    for (const IntervalField& field : kIntervals)
        object[field.key] = AsStored((stats.*field.member).As100NSIntervals());
    object[kRecallStartTime] = AsStored(stats.RecallStartTime.AsUnixTime());
    return object;
}

void FromObject(const json_spirit::mObject& object, CRecallRequestStats& stats)
{
    std::uint64_t value = 0;
    for (const IntervalField& field : kIntervals)
    {
        if (RecallJsonFields::ReadUInt64(object, field.key, value))
            stats.*field.member = CTimeInterval::From100NS(FromStored(value));
    }
    if (RecallJsonFields::ReadUInt64(object, kRecallStartTime, value))
        StartTimeFromSeconds(FromStored(value), stats.RecallStartTime);
}
} // namespace

CZuError CRecallRequestStats::SerializeToString(const CRecallRequestStats& stats, std::string& out)
{
    // Numbers only: the direct text always matches the object's.
    try
    {
        WriteDirectly(stats, out);
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    return CZuError::Success();
}

CZuError CRecallRequestStats::SerializeThroughObject(const CRecallRequestStats& stats, std::string& out)
{
    try
    {
        // The writer swallows its own allocation failures and leaves out empty.
        if (!KtJson::Serialize(ToObject(stats), out))
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    return CZuError::Success();
}

CZuError CRecallRequestStats::DeserializeFromString(const std::string& text, CRecallRequestStats& stats)
{
    json_spirit::mObject object;
    KtJson::Unserialize(text, object);
    FromObject(object, stats);
    return CZuError::Success();
}

bool CRecallRequestStats::operator==(const CRecallRequestStats& other) const
{
    for (const IntervalField& field : kIntervals)
    {
        if (this->*field.member != other.*field.member)
            return false;
    }
    return RecallStartTime == other.RecallStartTime;
}
} // namespace FILEEXTENTRECALLDB
