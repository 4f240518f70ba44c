#pragma once

namespace FILEEXTENT_REDIS
{
// The fields of one records-stream entry, in the order the sender writes them. The sender and
// the collector both take the names from here.
//
//   agent        the sending agent's id
//   incarnation  the agent's run, decimal, from 1: a later run orders after every earlier one
//   seq          the message's place in its run, decimal, from 1, never reused
//   kind         "xdr" (one record) or "xml" (a list of records)
//   number       the XDR message number, decimal; xdr entries only
//   data         the message's bytes as CFileExtentMessageWire gives them
//
// A dead-letter entry holds the original fields followed by reason, source (the original entry's
// id) and consumer (the collector that set it aside).
struct CStreamEntryFields
{
    static constexpr const char* Agent = "agent";
    static constexpr const char* Incarnation = "incarnation";
    static constexpr const char* Sequence = "seq";
    static constexpr const char* Kind = "kind";
    static constexpr const char* Number = "number";
    static constexpr const char* Data = "data";

    static constexpr const char* KindXdr = "xdr";
    static constexpr const char* KindXml = "xml";

    static constexpr const char* Reason = "reason";
    static constexpr const char* Source = "source";
    static constexpr const char* Consumer = "consumer";
};
} // namespace FILEEXTENT_REDIS
