#pragma once

#include <cstdint>
#include <string>

namespace FILEEXTENT_COLLECTOR
{
// One message an agent's reporter sent, as it reached the collector, with who sent it and
// where it stands among that agent's messages. Transports fill it; the collector decodes it.
struct CCollectorMessage
{
    enum Kind
    {
        Xdr, // one record: the XDR bytes of a FSRFileExtentRestoredItem
        Xml, // a list of records: the text of a FileExtentRestoredItemList
    };

    std::string AgentId;
    // The agent's run: a later run's messages order after every message of an earlier one.
    std::uint64_t Incarnation = 0;
    // The message's place among its run's messages, from 1.
    std::uint64_t Sequence = 0;
    Kind MessageKind = Xdr;
    // The XDR message number (Xdr only).
    unsigned long MessageNumber = 0;
    std::string Payload;
};
} // namespace FILEEXTENT_COLLECTOR
