#include "recall/RecallRequestStats.h"

#include "platform/KtJsonLib/KtJsonLib.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "recall/RecallJsonFields.h"

#include <cstdint>
#include <new>

namespace FILEEXTENTRECALLDB
{
namespace
{
// The seven interval members with their keys, in stored order (the start time stands between the
// last two and is handled on its own).
struct IntervalField
{
    const char* key;
    CTimeInterval CRecallRequestStats::*member;
};

const IntervalField kIntervals[] = {
    {"PreLookupTimeTaken", &CRecallRequestStats::PreLookupTimeTaken},
    {"LookupTimeTaken", &CRecallRequestStats::LookupTimeTaken},
    {"InDMRQueue", &CRecallRequestStats::InDMRQueue},
    {"InPipeline", &CRecallRequestStats::InPipeline},
    {"InTapeCheck", &CRecallRequestStats::InTapeCheck},
    {"InMAArbitration", &CRecallRequestStats::InMAArbitration},
    {"RecallDuration", &CRecallRequestStats::RecallDuration},
};

const char kRecallStartTime[] = "RecallStartTime";

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
