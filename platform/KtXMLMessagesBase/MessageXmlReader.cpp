#include "platform/KtXMLMessagesBase/MessageXmlReader.h"

#include "platform/KtXMLMessagesBase/MessageXmlWriter.h"

#include <pugixml.hpp>

#include <climits>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

namespace
{
// References are decoded here rather than by pugixml, so that &#x00; can stand for a NUL byte;
// line ends stay as written; every kind of node is kept, so that anything but elements and text
// can be refused; text beside the root is kept, so that it can be refused too.
const unsigned int ParseOptions = pugi::parse_ws_pcdata_single | pugi::parse_fragment | pugi::parse_comments |
                                  pugi::parse_pi | pugi::parse_declaration | pugi::parse_doctype | pugi::parse_cdata;

const char* const MessageAttributes[] = {"group", "type"};
const char* const FieldAttributes[] = {"first", "second", "kind", "tag", "id"};

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsBlank(const char* text)
{
    for (; *text; ++text)
        if (!IsSpace(*text))
            return false;
    return true;
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
bool ParseUnsigned(std::string_view text, unsigned long long max, unsigned long long& value)
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

bool ParseSigned(std::string_view text, long long min, long long max, long long& value)
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

bool ParseShort(const std::string& text, short& value)
{
    long long parsed = 0;
    if (!ParseSigned(text, SHRT_MIN, SHRT_MAX, parsed))
        return false;
    value = static_cast<short>(parsed);
    return true;
}

bool ParseKind(const std::string& text, CNMessageField::Kind& kind)
{
    for (CNMessageField::Kind candidate :
         {CNMessageField::String, CNMessageField::Int64, CNMessageField::BString, CNMessageField::List})
    {
        if (text == CMessageXmlWriter::KindName(candidate))
        {
            kind = candidate;
            return true;
        }
    }
    return false;
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
bool ParseCharacterReference(std::string_view body, unsigned long& code)
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

// Decodes the reference at `text` (its '&') into `out` and moves `text` past its ';'.
bool DecodeReference(const char*& text, std::string& out)
{
    static const struct
    {
        const char* name;
        char value;
    } named[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};

    // The ';' must come within ten bytes of the '&': longer references are refused unread.
    std::size_t semicolon = 1;
    while (semicolon <= 10 && text[semicolon] != ';' && text[semicolon] != '\0')
        ++semicolon;
    if (semicolon > 10 || text[semicolon] != ';')
        return false;
    const std::string_view body(text + 1, semicolon - 1);
    text += semicolon + 1;
    for (const auto& entity : named)
    {
        if (body == entity.name)
        {
            out += entity.value;
            return true;
        }
    }
    unsigned long code = 0;
    if (body.empty() || body[0] != '#' || !ParseCharacterReference(body, code))
        return false;
    AppendUtf8(out, code);
    return true;
}

// Raw text as pugixml kept it, with its references decoded. pugixml lets a raw '<' through in
// attribute values only; it is refused there as everywhere.
bool Decode(const char* raw, std::string& out)
{
    out.clear();
    while (*raw)
    {
        const char* run = raw;
        while (*raw && *raw != '&' && *raw != '<')
            ++raw;
        out.append(run, static_cast<std::size_t>(raw - run));
        if (*raw == '<' || (*raw == '&' && !DecodeReference(raw, out)))
            return false;
    }
    return true;
}

// The element has exactly the attributes `names`, in any order; their decoded values, in the
// order of `names`, go to `values`.
template <std::size_t Count>
bool ReadAttributes(pugi::xml_node element, const char* const (&names)[Count], std::string (&values)[Count])
{
    bool seen[Count] = {};
    std::size_t count = 0;
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute; attribute = attribute.next_attribute())
    {
        std::size_t index = 0;
        while (index < Count && std::strcmp(names[index], attribute.name()) != 0)
            ++index;
        if (index == Count || seen[index] || !Decode(attribute.value(), values[index]))
            return false;
        seen[index] = true;
        ++count;
    }
    return count == Count;
}

bool ReadFieldHeader(pugi::xml_node element, CMessageXmlReader::FieldHeader& header)
{
    std::string values[5];
    unsigned long long tag = 0;
    unsigned long long id = 0;
    if (!ReadAttributes(element, FieldAttributes, values) || !ParseShort(values[0], header.first) ||
        !ParseShort(values[1], header.second) || !ParseKind(values[2], header.kind) ||
        !ParseUnsigned(values[3], ULONG_MAX, tag) || !ParseUnsigned(values[4], UINT_MAX, id))
        return false;
    header.tag = static_cast<unsigned long>(tag);
    header.id = static_cast<unsigned int>(id);
    return true;
}

bool IsElement(pugi::xml_node node, const char* name)
{
    return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
}

// Whitespace between elements, which the indented form has and the reader skips.
bool IsBlankText(pugi::xml_node node)
{
    return node.type() == pugi::node_pcdata && IsBlank(node.value());
}

// The element's content when it is text alone (or nothing, which gives "").
bool OnlyText(pugi::xml_node element, const char*& raw)
{
    const pugi::xml_node child = element.first_child();
    raw = child ? child.value() : "";
    return !child || (child.type() == pugi::node_pcdata && !child.next_sibling());
}

// pugixml's strings end at a NUL, so each raw NUL is spelled as the reference that reads as one:
// inside text it stands for itself, as it always has, and anywhere else it is still refused.
std::string WithNulsAsReferences(const std::string& xml)
{
    std::string spelled;
    spelled.reserve(xml.size() + 16);
    for (char c : xml)
    {
        if (c == '\0')
            spelled += "&#x00;";
        else
            spelled += c;
    }
    return spelled;
}

bool Load(const std::string& xml, pugi::xml_document& document)
{
    // pugixml would skip a byte order mark, which the writer never writes.
    if (xml.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return false;
    if (xml.find('\0') == std::string::npos)
        return document.load_buffer(xml.data(), xml.size(), ParseOptions, pugi::encoding_utf8);
    const std::string spelled = WithNulsAsReferences(xml);
    return document.load_buffer(spelled.data(), spelled.size(), ParseOptions, pugi::encoding_utf8);
}

// The document's one element, with nothing but whitespace beside it.
bool OnlyElement(const pugi::xml_document& document, pugi::xml_node& root)
{
    for (pugi::xml_node child = document.first_child(); child; child = child.next_sibling())
    {
        if (child.type() == pugi::node_element && !root)
            root = child;
        else if (!IsBlankText(child))
            return false;
    }
    return static_cast<bool>(root);
}
} // namespace

CMessageXmlReader::CMessageXmlReader(const std::string& xml) : m_xml(xml)
{
}

bool CMessageXmlReader::Read(CNMessageBase& message)
{
    pugi::xml_document document;
    pugi::xml_node root;
    return Load(m_xml, document) && OnlyElement(document, root) && ReadMessage(root, message, 0);
}

bool CMessageXmlReader::ReadMessage(pugi::xml_node element, CNMessageBase& message, int depth)
{
    std::string values[2];
    short group = 0;
    short type = 0;
    if (depth >= CNMessageBase::MaxNestingDepth || !IsElement(element, "message") ||
        !ReadAttributes(element, MessageAttributes, values) || !ParseShort(values[0], group) ||
        !ParseShort(values[1], type))
        return false;
    message = CNMessageBase(group, type);
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling())
        if (!IsBlankText(child) && !ReadField(child, message, depth))
            return false;
    return true;
}

bool CMessageXmlReader::ReadField(pugi::xml_node element, CNMessageBase& message, int depth)
{
    FieldHeader header;
    if (!IsElement(element, "field") || !ReadFieldHeader(element, header))
        return false;
    switch (header.kind)
    {
    case CNMessageField::String:
    case CNMessageField::BString:
        return ReadTextField(element, message, header);
    case CNMessageField::Int64:
        return ReadInt64Field(element, message, header);
    case CNMessageField::List:
        return ReadListField(element, message, header, depth);
    }
    return false;
}

bool CMessageXmlReader::ReadTextField(pugi::xml_node element, CNMessageBase& message, const FieldHeader& header)
{
    const char* raw = nullptr;
    std::string text;
    if (!OnlyText(element, raw) || !Decode(raw, text))
        return false;
    message.AddField(header.first, header.second, header.kind, header.tag, header.id).text = std::move(text);
    return true;
}

bool CMessageXmlReader::ReadInt64Field(pugi::xml_node element, CNMessageBase& message, const FieldHeader& header)
{
    const char* raw = nullptr;
    std::string text;
    long long number = 0;
    if (!OnlyText(element, raw))
        return false;
    // Whitespace around the digits is allowed, a decoded reference to it only after them.
    while (IsSpace(*raw))
        ++raw;
    if (!Decode(raw, text))
        return false;
    while (!text.empty() && IsSpace(text.back()))
        text.pop_back();
    if (!ParseSigned(text, LLONG_MIN, LLONG_MAX, number))
        return false;
    message.AddField(header.first, header.second, CNMessageField::Int64, header.tag, header.id).number = number;
    return true;
}

bool CMessageXmlReader::ReadListField(pugi::xml_node element, CNMessageBase& message, const FieldHeader& header,
                                      int depth)
{
    std::vector<CNMessageBase> children;
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling())
    {
        if (IsBlankText(child))
            continue;
        children.emplace_back(0, 0);
        if (!ReadMessage(child, children.back(), depth + 1))
            return false;
    }
    message.AddField(header.first, header.second, CNMessageField::List, header.tag, header.id).list =
        std::move(children);
    return true;
}
