#include "recall/RecallJsonFields.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace FILEEXTENTRECALLDB
{
namespace
{
bool AsUnsigned(const json_spirit::mValue& value, std::uint64_t& out)
{
    if (value.is_number_unsigned())
    {
        out = value.get<std::uint64_t>();
        return true;
    }
    if (value.is_number_integer())
    {
        const std::int64_t number = value.get<std::int64_t>();
        if (number < 0)
            return false;
        out = static_cast<std::uint64_t>(number);
        return true;
    }
    if (value.is_number_float())
    {
        // Another writer may have stored a whole number in floating form; keep that, drop fractions.
        const double number = value.get<double>();
        if (!(number >= 0.0 && number < 18446744073709551616.0) || std::floor(number) != number)
            return false;
        out = static_cast<std::uint64_t>(number);
        return true;
    }
    return false;
}

const char kBytesSuffix[] = "Base64";
const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Length of the well-formed UTF-8 sequence starting at text[at], 0 when there is none: no overlong
// forms, no surrogates, nothing past U+10FFFF (what the JSON writer keeps unreplaced).
size_t Utf8SequenceLength(const std::string& text, size_t at)
{
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    else
        return 0;
    if (text.size() - at < length)
        return 0;
    for (size_t i = 1; i < length; ++i)
    {
        const unsigned char byte = static_cast<unsigned char>(text[at + i]);
        if (byte < (i == 1 ? low : 0x80) || byte > (i == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

std::string EncodeBase64(const std::string& bytes)
{
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t at = 0; at < bytes.size(); at += 3)
    {
        const size_t count = std::min<size_t>(3, bytes.size() - at);
        std::uint32_t group = 0;
        for (size_t i = 0; i < 3; ++i)
            group = (group << 8) | (i < count ? static_cast<unsigned char>(bytes[at + i]) : 0u);
        for (size_t i = 0; i < 4; ++i)
            text += i <= count ? kBase64Alphabet[(group >> (18 - 6 * i)) & 0x3F] : '=';
    }
    return text;
}

// Only the form EncodeBase64 writes: padded to whole groups, zero bits after the last byte.
bool DecodeBase64(const std::string& text, std::string& bytes)
{
    if (text.size() % 4 != 0)
        return false;
    const size_t padding = text.size() - std::min(text.find_last_not_of('=') + 1, text.size());
    if (padding > 2)
        return false;
    std::string decoded;
    decoded.reserve(text.size() / 4 * 3);
    std::uint32_t group = 0;
    const size_t digits = text.size() - padding;
    for (size_t at = 0; at < digits; ++at)
    {
        const char* found = text[at] == '\0' ? nullptr : std::strchr(kBase64Alphabet, text[at]);
        if (found == nullptr)
            return false;
        group = (group << 6) | static_cast<std::uint32_t>(found - kBase64Alphabet);
        if (at % 4 == 3)
        {
            for (int shift = 16; shift >= 0; shift -= 8)
                decoded += static_cast<char>((group >> shift) & 0xFF);
            group = 0;
        }
    }
    if (padding > 0)
    {
        const unsigned spareBits = padding == 1 ? 2 : 4;
        if ((group & ((1u << spareBits) - 1)) != 0)
            return false;
        group >>= spareBits;
        for (int shift = 8 * (2 - static_cast<int>(padding)); shift >= 0; shift -= 8)
            decoded += static_cast<char>((group >> shift) & 0xFF);
    }
    bytes.swap(decoded);
    return true;
}
} // namespace

bool RecallJsonFields::ReadUInt64(const json_spirit::mObject& object, const char* key, std::uint64_t& out)
{
    const auto found = object.find(key);
    return found != object.end() && AsUnsigned(found->second, out);
}

bool RecallJsonFields::ReadUInt32(const json_spirit::mObject& object, const char* key, std::uint32_t& out)
{
    std::uint64_t number = 0;
    if (!ReadUInt64(object, key, number))
        return false;
    out = static_cast<std::uint32_t>(number & 0xFFFFFFFFu);
    return true;
}

bool RecallJsonFields::ReadString(const json_spirit::mObject& object, const char* key, std::string& out)
{
    const auto found = object.find(key);
    if (found == object.end() || !found->second.is_string())
        return false;
    out = found->second.get_ref<const std::string&>();
    return true;
}

bool RecallJsonFields::IsUtf8(const std::string& text)
{
    for (size_t at = 0, length = 0; at < text.size(); at += length)
    {
        length = Utf8SequenceLength(text, at);
        if (length == 0)
            return false;
    }
    return true;
}

void RecallJsonFields::WriteBytes(json_spirit::mObject& object, const char* key, const std::string& bytes)
{
    object[key] = bytes;
    if (!IsUtf8(bytes))
        object[std::string(key) + kBytesSuffix] = EncodeBase64(bytes);
}

bool RecallJsonFields::ReadBytes(const json_spirit::mObject& object, const char* key, std::string& out)
{
    std::string encoded;
    if (ReadString(object, (std::string(key) + kBytesSuffix).c_str(), encoded) && DecodeBase64(encoded, out))
        return true;
    return ReadString(object, key, out);
}
} // namespace FILEEXTENTRECALLDB
