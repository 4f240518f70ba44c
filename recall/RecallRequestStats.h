#pragma once

#include "foundation/TimeInterval.h"
#include "foundation/TimeStamp.h"
#include "platform/ZuUtils/ZuError.h"

#include <string>

namespace FILEEXTENTRECALLDB
{
// Timings of one recall request. Stored as JSON: intervals as their 100-ns counts, the start time
// as whole seconds since 1970 (0 for a clear stamp, 2^63-1 for a filled one). A stored start time
// beyond about 29000 years either side of 1601 reads as absent.
class CRecallRequestStats
{
public:
    CTimeInterval PreLookupTimeTaken;
    CTimeInterval LookupTimeTaken;
    CTimeInterval InDMRQueue;
    CTimeInterval InPipeline;
    CTimeInterval InTapeCheck;
    CTimeInterval InMAArbitration;
    CTimeStamp RecallStartTime;
    CTimeInterval RecallDuration;

    // Writing fails only when memory runs out; reading always succeeds and changes only the members whose keys the text holds with a
    // value of the right type; anything that is not a JSON object changes nothing.
    static CZuError SerializeToString(const CRecallRequestStats& stats, std::string& out);
    // The same bytes, made as they always were, by building a JSON object first: the reference the
    // direct text is checked against.
    static CZuError SerializeThroughObject(const CRecallRequestStats& stats, std::string& out);
    static CZuError DeserializeFromString(const std::string& text, CRecallRequestStats& stats);

    bool operator==(const CRecallRequestStats& other) const;
    bool operator!=(const CRecallRequestStats& other) const { return !(*this == other); }
};
} // namespace FILEEXTENTRECALLDB
