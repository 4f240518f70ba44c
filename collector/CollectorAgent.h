#pragma once

#include <boost/optional.hpp>

#include <cstdint>
#include <string>

namespace FILEEXTENT_COLLECTOR
{
// What the collector has had from one agent. A message refused before its sender was known
// counts under the empty id.
struct CCollectorAgent
{
    std::string AgentId;
    // The latest run seen, and the last message of that run.
    boost::optional<std::int64_t> Incarnation;
    boost::optional<std::int64_t> LastSequence;
    boost::optional<std::int64_t> Messages;
    // Records that changed the agent's rows, and records that did not (repeated or older).
    boost::optional<std::int64_t> Records;
    boost::optional<std::int64_t> Stale;
    boost::optional<std::int64_t> Refused;
    // When its last message was stored, in milliseconds since 1970.
    boost::optional<std::int64_t> LastSeenMs;
};
} // namespace FILEEXTENT_COLLECTOR
