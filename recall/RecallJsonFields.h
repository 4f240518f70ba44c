#pragma once

#include "platform/KtJsonLib/KtJsonLib.h"

#include <cstdint>
#include <string>

namespace FILEEXTENTRECALLDB
{
// Typed reads of one member of a stored JSON object. A member that is absent, or whose value has the
// wrong type (text for a number, a negative or fractional number for an unsigned one), reads as
// absent: the function returns false and leaves out alone, so the caller's member keeps its value.
class RecallJsonFields
{
public:
    static bool ReadUInt64(const json_spirit::mObject& object, const char* key, std::uint64_t& out);
    // Keeps the low 32 bits of the stored number.
    static bool ReadUInt32(const json_spirit::mObject& object, const char* key, std::uint32_t& out);
    static bool ReadString(const json_spirit::mObject& object, const char* key, std::string& out);

    // A byte string that must come back exactly. Valid UTF-8 is stored as the text under key, as it
    // always was. Other bytes are stored twice: under key the writer's text with U+FFFD in place of
    // what is invalid, for readers that know only that key, and under key + "Base64" the exact bytes.
    static void WriteBytes(json_spirit::mObject& object, const char* key, const std::string& bytes);
    // The exact bytes when key + "Base64" holds canonical base64; otherwise as ReadString.
    static bool ReadBytes(const json_spirit::mObject& object, const char* key, std::string& out);

    // Well-formed UTF-8: what the JSON writer keeps without replacing anything, and what WriteBytes
    // stores under key alone.
    static bool IsUtf8(const std::string& text);
};
} // namespace FILEEXTENTRECALLDB
