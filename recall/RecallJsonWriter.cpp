#include "recall/RecallJsonWriter.h"

#include "recall/RecallJsonFields.h"

#include <array>
#include <charconv>

namespace FILEEXTENTRECALLDB
{
namespace
{
// In valid UTF-8 the object writer escapes only the quote, the backslash and the control
// characters below 0x20; DEL and multi-byte characters stay as they are. Per byte: 0 when it stays,
// else the character after the backslash, 'u' for the \u00XX form.
constexpr std::array<char, 256> EscapeTable()
{
    std::array<char, 256> table{};
    for (int byte = 0; byte < 0x20; ++byte)
        table[byte] = 'u';
    table['"'] = '"';
    table['\\'] = '\\';
    table['\b'] = 'b';
    table['\t'] = 't';
    table['\n'] = 'n';
    table['\f'] = 'f';
    table['\r'] = 'r';
    return table;
}

constexpr std::array<char, 256> kEscapes = EscapeTable();

void AppendEscape(std::string& text, unsigned char byte)
{
    text += '\\';
    text += kEscapes[byte];
    if (kEscapes[byte] == 'u')
    {
        // Lower-case hex digits, as the object writer prints them.
        static const char kHex[] = "0123456789abcdef";
        const char digits[] = {'0', '0', kHex[byte >> 4], kHex[byte & 0xF]};
        text.append(digits, sizeof digits);
    }
}
} // namespace

CRecallJsonWriter::CRecallJsonWriter(std::size_t capacity)
{
    m_text.reserve(capacity);
    m_text += '{';
}

void CRecallJsonWriter::Number(const char* key, std::uint64_t value)
{
    Key(key);
    char digits[20];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
    m_text.append(digits, end.ptr);
}

bool CRecallJsonWriter::String(const char* key, const std::string& value)
{
    // The object writer replaces what is invalid; the caller keeps that path for such bytes.
    if (!RecallJsonFields::IsUtf8(value))
        return false;
    Key(key);
    m_text += '"';
    Escaped(value);
    m_text += '"';
    return true;
}

void CRecallJsonWriter::Finish(std::string& out)
{
    m_text += '}';
    out.swap(m_text);
}

void CRecallJsonWriter::Key(const char* key)
{
    if (m_text.size() > 1)
        m_text += ',';
    m_text += '"';
    m_text += key;
    m_text += "\":";
}

// Runs of bytes that stay as they are are copied whole.
void CRecallJsonWriter::Escaped(const std::string& value)
{
    const char* run = value.data();
    const char* const end = run + value.size();
    for (const char* at = run; at != end; ++at)
    {
        const unsigned char byte = static_cast<unsigned char>(*at);
        if (kEscapes[byte] == 0)
            continue;
        m_text.append(run, at);
        AppendEscape(m_text, byte);
        run = at + 1;
    }
    m_text.append(run, end);
}
} // namespace FILEEXTENTRECALLDB
