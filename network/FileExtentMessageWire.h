#pragma once

#include "network/FileExtentNWCallbacks.h"
#include "platform/ZuUtils/ZuError.h"

#include <string>

namespace FILEEXTENT_RESTORE
{
// The bytes of one reporter message as it travels between processes, for a transport behind
// the host's two callbacks and the collector at its other end.
//
// An XDR message (FSRFileExtentRestoredItem) is its one member, a string, as XDR encodes one:
// a 4-byte big-endian length, the bytes, zero padding to a multiple of four. An XML message is
// its text as CNMessageBase::serialize writes it, unindented.
class CFileExtentMessageWire
{
public:
    // The XDR message number of a restored item (FSRFileExtentRestoredItem).
    static constexpr unsigned long RestoredItemXDRMessageNumber = 0x180000A1;

    // The record the descriptor points to (its size must be the record's). ERROR_INVALID_PARAMETER
    // for a descriptor that does not hold one.
    static CZuError EncodeXdr(const ktsDatabuf* buffer, std::string& bytes);
    // The record's text. ERROR_INVALID_DATA for bytes that are not exactly one XDR string (short,
    // longer than their length says, padding that is not zero) or a text holding a NUL.
    static CZuError DecodeXdr(const std::string& bytes, std::string& text);
    static void EncodeXml(const CNMessageBase& message, std::string& text);
};
} // namespace FILEEXTENT_RESTORE
