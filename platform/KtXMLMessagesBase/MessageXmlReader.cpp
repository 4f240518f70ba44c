#include "platform/KtXMLMessagesBase/MessageXmlReader.h"

#include "platform/KtXMLMessagesBase/MessageXmlWriter.h"

#include <climits>
#include <cstring>

namespace
{
bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

int DigitValue(char c, int base)
{
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

// Plain decimal digits only: no sign, no blanks, no empty text; false on overflow of `max`.
bool ParseUnsigned(const std::string& text, unsigned long long max, unsigned long long& value)
{
    if (text.empty())
        return false;
    value = 0;
    for (char c : text)
    {
        const int digit = DigitValue(c, 10);
        if (digit < 0 || value > (max - static_cast<unsigned long long>(digit)) / 10)
            return false;
        value = value * 10 + static_cast<unsigned long long>(digit);
    }
    return true;
}

bool ParseSigned(const std::string& text, long long min, long long max, long long& value)
{
    const bool negative = !text.empty() && text[0] == '-';
    unsigned long long magnitude = 0;
    const unsigned long long limit =
        negative ? static_cast<unsigned long long>(-(min + 1)) + 1 : static_cast<unsigned long long>(max);
    if (!ParseUnsigned(negative ? text.substr(1) : text, limit, magnitude))
        return false;
    // Negate in unsigned arithmetic so that the smallest value does not overflow.
    value = negative ? static_cast<long long>(0ULL - magnitude) : static_cast<long long>(magnitude);
    return true;
}

const std::string* Find(const std::vector<std::pair<std::string, std::string>>& attributes, const char* name)
{
    for (const auto& attribute : attributes)
        if (attribute.first == name)
            return &attribute.second;
    return nullptr;
}

// The element carries exactly the named attributes, no more.
bool HasExactly(const std::vector<std::pair<std::string, std::string>>& attributes,
                std::initializer_list<const char*> names)
{
    if (attributes.size() != names.size())
        return false;
    for (const char* name : names)
        if (!Find(attributes, name))
            return false;
    return true;
}

bool ShortAttribute(const std::vector<std::pair<std::string, std::string>>& attributes, const char* name,
                    short& value)
{
    long long parsed = 0;
    const std::string* text = Find(attributes, name);
    if (!text || !ParseSigned(*text, SHRT_MIN, SHRT_MAX, parsed))
        return false;
    value = static_cast<short>(parsed);
    return true;
}

bool KindAttribute(const std::vector<std::pair<std::string, std::string>>& attributes, CNMessageField::Kind& kind)
{
    const std::string* text = Find(attributes, "kind");
    if (!text)
        return false;
    for (CNMessageField::Kind candidate :
         {CNMessageField::String, CNMessageField::Int64, CNMessageField::BString, CNMessageField::List})
    {
        if (*text == CMessageXmlWriter::KindName(candidate))
        {
            kind = candidate;
            return true;
        }
    }
    return false;
}

bool ReadFieldHeader(const std::vector<std::pair<std::string, std::string>>& attributes,
                     CMessageXmlReader::FieldHeader& header)
{
    unsigned long long tag = 0;
    unsigned long long id = 0;
    const std::string* tagText = Find(attributes, "tag");
    const std::string* idText = Find(attributes, "id");
    if (!HasExactly(attributes, {"first", "second", "kind", "tag", "id"}) ||
        !ShortAttribute(attributes, "first", header.first) || !ShortAttribute(attributes, "second", header.second) ||
        !KindAttribute(attributes, header.kind) || !ParseUnsigned(*tagText, ULONG_MAX, tag) ||
        !ParseUnsigned(*idText, UINT_MAX, id))
        return false;
    header.tag = static_cast<unsigned long>(tag);
    header.id = static_cast<unsigned int>(id);
    return true;
}

void AppendUtf8(std::string& text, unsigned long code)
{
    if (code < 0x80)
    {
        text += static_cast<char>(code);
    }
    else if (code < 0x800)
    {
        text += static_cast<char>(0xC0 | (code >> 6));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
    else if (code < 0x10000)
    {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
    else
    {
        text += static_cast<char>(0xF0 | (code >> 18));
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// "#x1F" or "#31" (without '&' and ';') into a code point; NUL is allowed, surrogates are not.
bool ParseCharacterReference(const std::string& body, unsigned long& code)
{
    const bool hex = body.size() > 1 && body[1] == 'x';
    const std::size_t start = hex ? 2 : 1;
    const int base = hex ? 16 : 10;
    if (body.size() <= start || body.size() - start > 7)
        return false;
    code = 0;
    for (std::size_t i = start; i < body.size(); ++i)
    {
        const int digit = DigitValue(body[i], base);
        if (digit < 0)
            return false;
        code = code * static_cast<unsigned long>(base) + static_cast<unsigned long>(digit);
    }
    return code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
}
} // namespace

CMessageXmlReader::CMessageXmlReader(const std::string& xml) : m_xml(xml)
{
}

bool CMessageXmlReader::Read(CNMessageBase& message)
{
    m_pos = 0;
    SkipSpace();
    if (!ReadMessage(message, 0))
        return false;
    SkipSpace();
    return AtEnd();
}

bool CMessageXmlReader::ReadMessage(CNMessageBase& message, int depth)
{
    Attributes attributes;
    bool empty = false;
    short group = 0;
    short type = 0;
    if (depth >= CNMessageBase::MaxNestingDepth || !ReadStartTag("message", attributes, empty) ||
        !HasExactly(attributes, {"group", "type"}) || !ShortAttribute(attributes, "group", group) ||
        !ShortAttribute(attributes, "type", type))
        return false;
    message = CNMessageBase(group, type);
    if (empty)
        return true;
    for (;;)
    {
        SkipSpace();
        if (Peek("</"))
            return ReadEndTag("message");
        if (!ReadField(message, depth))
            return false;
    }
}

bool CMessageXmlReader::ReadField(CNMessageBase& message, int depth)
{
    Attributes attributes;
    bool empty = false;
    FieldHeader header;
    if (!ReadStartTag("field", attributes, empty) || !ReadFieldHeader(attributes, header))
        return false;
    switch (header.kind)
    {
    case CNMessageField::String:
    case CNMessageField::BString:
        return ReadTextField(message, header, empty);
    case CNMessageField::Int64:
        return ReadInt64Field(message, header, empty);
    case CNMessageField::List:
        return ReadListField(message, header, empty, depth);
    }
    return false;
}

bool CMessageXmlReader::ReadTextField(CNMessageBase& message, const FieldHeader& header, bool empty)
{
    std::string text;
    if (!empty && (!ReadText(text, '<') || !ReadEndTag("field")))
        return false;
    if (header.kind == CNMessageField::BString)
        message.setbstringobject(header.first, header.second, bstring(text), header.tag, header.id);
    else
        message.setstring(header.first, header.second, text, header.tag, header.id);
    return true;
}

bool CMessageXmlReader::ReadInt64Field(CNMessageBase& message, const FieldHeader& header, bool empty)
{
    std::string text;
    long long number = 0;
    if (empty)
        return false;
    SkipSpace();
    if (!ReadText(text, '<'))
        return false;
    while (!text.empty() && IsSpace(text.back()))
        text.pop_back();
    if (!ParseSigned(text, LLONG_MIN, LLONG_MAX, number) || !ReadEndTag("field"))
        return false;
    message.setint64(header.first, header.second, number, header.tag, header.id);
    return true;
}

bool CMessageXmlReader::ReadListField(CNMessageBase& message, const FieldHeader& header, bool empty, int depth)
{
    std::vector<CNMessageBase> children;
    while (!empty)
    {
        SkipSpace();
        if (Peek("</"))
        {
            if (!ReadEndTag("field"))
                return false;
            break;
        }
        children.emplace_back(0, 0);
        if (!ReadMessage(children.back(), depth + 1))
            return false;
    }
    message.setlistobject(header.first, header.second, &children, header.tag, header.id);
    return true;
}

bool CMessageXmlReader::ReadStartTag(const char* name, Attributes& attributes, bool& empty)
{
    if (!Consume("<") || !Consume(name))
        return false;
    for (;;)
    {
        const std::size_t before = m_pos;
        SkipSpace();
        if (Consume(">"))
        {
            empty = false;
            return true;
        }
        if (Consume("/>"))
        {
            empty = true;
            return true;
        }
        // Attributes are separated from the name and from each other by whitespace.
        if (m_pos == before || !ReadAttribute(attributes))
            return false;
    }
}

bool CMessageXmlReader::ReadAttribute(Attributes& attributes)
{
    std::string name;
    std::string value;
    if (!ReadName(name) || Find(attributes, name.c_str()))
        return false;
    SkipSpace();
    if (!Consume("="))
        return false;
    SkipSpace();
    if (AtEnd() || (m_xml[m_pos] != '"' && m_xml[m_pos] != '\''))
        return false;
    const char quote = m_xml[m_pos++];
    if (!ReadText(value, quote) || !Consume(quote == '"' ? "\"" : "'"))
        return false;
    attributes.emplace_back(std::move(name), std::move(value));
    return true;
}

bool CMessageXmlReader::ReadEndTag(const char* name)
{
    if (!Consume("</") || !Consume(name))
        return false;
    SkipSpace();
    return Consume(">");
}

// Text up to (not including) `stop` or '<', with references decoded. False when the text ends
// first or holds a bad reference.
bool CMessageXmlReader::ReadText(std::string& text, char stop)
{
    while (!AtEnd())
    {
        const char c = m_xml[m_pos];
        if (c == stop || c == '<')
            return true;
        if (c == '&')
        {
            if (!ReadReference(text))
                return false;
            continue;
        }
        text += c;
        ++m_pos;
    }
    return false;
}

bool CMessageXmlReader::ReadReference(std::string& text)
{
    static const struct
    {
        const char* name;
        char value;
    } named[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};

    const std::size_t semicolon = m_xml.find(';', m_pos + 1);
    if (semicolon == std::string::npos || semicolon - m_pos > 10)
        return false;
    const std::string body = m_xml.substr(m_pos + 1, semicolon - m_pos - 1);
    m_pos = semicolon + 1;
    for (const auto& entity : named)
    {
        if (body == entity.name)
        {
            text += entity.value;
            return true;
        }
    }
    unsigned long code = 0;
    if (body.empty() || body[0] != '#' || !ParseCharacterReference(body, code))
        return false;
    AppendUtf8(text, code);
    return true;
}

bool CMessageXmlReader::ReadName(std::string& name)
{
    const std::size_t start = m_pos;
    while (!AtEnd() && IsNameChar(m_xml[m_pos]))
        ++m_pos;
    name = m_xml.substr(start, m_pos - start);
    return !name.empty();
}

bool CMessageXmlReader::Consume(const char* literal)
{
    if (!Peek(literal))
        return false;
    m_pos += std::strlen(literal);
    return true;
}

bool CMessageXmlReader::Peek(const char* literal) const
{
    const std::size_t length = std::strlen(literal);
    return m_pos <= m_xml.size() && m_xml.size() - m_pos >= length && m_xml.compare(m_pos, length, literal) == 0;
}

void CMessageXmlReader::SkipSpace()
{
    while (!AtEnd() && IsSpace(m_xml[m_pos]))
        ++m_pos;
}
