#pragma once

#include "restore/records/RestoredItem.h"

#include <boost/optional.hpp>

#include <cstdint>
#include <string>
#include <tuple>

namespace FILEEXTENT_COLLECTOR
{
// One agent's latest record of a (path, version), and where the message that carried it stands
// among that agent's messages: (Incarnation, Sequence, Position) orders an agent's records, so a
// redelivered or older message changes nothing.
struct CAgentRestoredItem
{
    FILEEXTENT_RESTORE::CRestoredItem Item;
    std::string AgentId;
    boost::optional<std::int64_t> Incarnation;
    boost::optional<std::int64_t> Sequence;
    // The record's place in its message (a list holds many).
    boost::optional<std::int64_t> Position;

    // Whether this record comes after `other` among the same agent's records.
    bool IsLaterThan(const CAgentRestoredItem& other) const
    {
        const auto key = [](const CAgentRestoredItem& item) {
            return std::make_tuple(item.Incarnation.value_or(0), item.Sequence.value_or(0), item.Position.value_or(0));
        };
        return key(*this) > key(other);
    }
};
} // namespace FILEEXTENT_COLLECTOR
