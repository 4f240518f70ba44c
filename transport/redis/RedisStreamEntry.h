#pragma once

#include "platform/ZuUtils/ZuError.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace FILEEXTENT_REDIS
{
// A stream entry's fields, as (name, value) in their stored order; values are bytes.
typedef std::vector<std::pair<std::string, std::string>> CStreamFields;

// One entry as a consumer read it. An entry deleted from the stream while still pending comes
// with no fields.
struct CRedisStreamEntry
{
    std::string Id;
    CStreamFields Fields;
};

// An entry the batch handler would not store, with the reason it goes to the dead-letter stream.
struct CRefusedStreamEntry
{
    CRedisStreamEntry Entry;
    std::string Reason;
};

// The collector's side of a batch: store every entry it can take in one transaction and return
// success only once that committed; put each entry it will never take into refused. A failure
// leaves the whole batch unacknowledged, to be read again.
typedef std::function<CZuError(const std::vector<CRedisStreamEntry>& batch,
                               std::vector<CRefusedStreamEntry>& refused)>
    FN_StreamBatchHandler;
} // namespace FILEEXTENT_REDIS
