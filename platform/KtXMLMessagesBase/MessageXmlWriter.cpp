#include "platform/KtXMLMessagesBase/MessageXmlWriter.h"

#include <pugixml.hpp>

#include <charconv>
#include <cstddef>
#include <cstring>
#include <exception>

namespace
{
// Every element gets an end tag, never <x/>; pugixml's escaping is off, the values are escaped here.
const unsigned int CompactFormat = pugi::format_raw | pugi::format_no_escapes | pugi::format_no_declaration |
                                   pugi::format_no_empty_element_tags;
const unsigned int IndentFormat = pugi::format_indent | pugi::format_no_escapes | pugi::format_no_declaration |
                                  pugi::format_no_empty_element_tags;
const char* const Indent = "  ";

bool IsControl(unsigned char byte)
{
    return byte < 0x20 || byte == 0x7F;
}

bool IsMarkup(char c)
{
    return c == '&' || c == '<' || c == '>' || c == '"' || c == '\'';
}

bool NeedsEscape(const std::string& text)
{
    for (char c : text)
        if (IsControl(static_cast<unsigned char>(c)) || IsMarkup(c))
            return true;
    return false;
}

// Control characters (NUL included) travel as references, so a reader keeps them exactly; bytes
// from 0x80 up are copied as they are, whether or not they form valid UTF-8.
void Escape(const std::string& text, std::string& out)
{
    static const char hex[] = "0123456789ABCDEF";
    out.clear();
    for (char c : text)
    {
        const unsigned char byte = static_cast<unsigned char>(c);
        switch (c)
        {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            if (IsControl(byte))
            {
                const char reference[] = {'&', '#', 'x', hex[byte >> 4], hex[byte & 0xF], ';'};
                out.append(reference, sizeof(reference));
            }
            else
            {
                out += c;
            }
        }
    }
}

bool HoldsMessages(const CNMessageBase& message)
{
    for (const CNMessageField& field : message.GetFields())
        if (field.kind == CNMessageField::List && !field.list.empty())
            return true;
    return false;
}

bool AppendAttribute(pugi::xml_node element, const char* name, const char* value, std::size_t size)
{
    pugi::xml_attribute attribute = element.append_attribute(name);
    return attribute && attribute.set_value(value, size);
}

bool AppendAttribute(pugi::xml_node element, const char* name, const char* value)
{
    return AppendAttribute(element, name, value, std::strlen(value));
}

// Numbers in decimal, formatted here: cheaper than pugixml's own formatting and copy.
template <typename Number>
bool AppendAttribute(pugi::xml_node element, const char* name, Number value)
{
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof(digits), value);
    return AppendAttribute(element, name, digits, static_cast<std::size_t>(end.ptr - digits));
}

bool AppendNumberText(pugi::xml_node element, long long value)
{
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof(digits), value);
    pugi::xml_node node = element.append_child(pugi::node_pcdata);
    return node && node.set_value(digits, static_cast<std::size_t>(end.ptr - digits));
}

// Appends what pugixml prints to a string; a failed append is remembered rather than thrown
// through pugixml.
class StringSink : public pugi::xml_writer
{
public:
    explicit StringSink(std::string& out) : m_out(out) {}

    void write(const void* data, std::size_t size) override
    {
        if (m_failed)
            return;
        try
        {
            m_out.append(static_cast<const char*>(data), size);
        }
        catch (const std::exception&)
        {
            m_failed = true;
        }
    }

    bool Failed() const { return m_failed; }

private:
    std::string& m_out;
    bool m_failed = false;
};
} // namespace

CMessageXmlWriter::CMessageXmlWriter(std::string& out, bool indent) : m_out(out), m_indent(indent)
{
}

bool CMessageXmlWriter::Write(const CNMessageBase& message)
{
    m_out.clear();
    StringSink sink(m_out);
    if (WriteMessage(sink, message, 0) && !sink.Failed())
    {
        // The indented text ends at the root's end tag, without the line break after it.
        if (m_indent && !m_out.empty() && m_out.back() == '\n')
            m_out.pop_back();
        return true;
    }
    m_out.clear();
    return false;
}

const char* CMessageXmlWriter::KindName(CNMessageField::Kind kind)
{
    switch (kind)
    {
    case CNMessageField::String:
        return "string";
    case CNMessageField::Int64:
        return "int64";
    case CNMessageField::BString:
        return "bstring";
    case CNMessageField::List:
        return "list";
    }
    return "string";
}

// One document per message, holding its own fields but not the messages of its lists: a batch of
// thousands of messages would otherwise be megabytes of nodes at once, allocated anew every time.
bool CMessageXmlWriter::WriteMessage(pugi::xml_writer& sink, const CNMessageBase& message, unsigned int depth)
{
    pugi::xml_document document;
    if (!AppendMessage(document, message))
        return false;
    if (!HoldsMessages(message))
    {
        Print(sink, document.first_child(), depth);
        return true;
    }
    return WriteAroundLists(sink, document.first_child(), message, depth);
}

// The message's own tags and fields, each list's messages written in turn between its field's tags.
bool CMessageXmlWriter::WriteAroundLists(pugi::xml_writer& sink, pugi::xml_node element,
                                         const CNMessageBase& message, unsigned int depth)
{
    WriteStartTag(element, depth);
    pugi::xml_node fieldElement = element.first_child();
    for (const CNMessageField& field : message.GetFields())
    {
        if (field.kind != CNMessageField::List || field.list.empty())
        {
            Print(sink, fieldElement, depth + 1);
        }
        else
        {
            WriteStartTag(fieldElement, depth + 1);
            for (const CNMessageBase& child : field.list)
                if (!WriteMessage(sink, child, depth + 2))
                    return false;
            WriteEndTag(fieldElement, depth + 1);
        }
        fieldElement = fieldElement.next_sibling();
    }
    WriteEndTag(element, depth);
    return true;
}

// Tags of an element with child elements, laid out as pugixml lays out the rest: indented by depth,
// each on a line of its own.
void CMessageXmlWriter::WriteStartTag(pugi::xml_node element, unsigned int depth)
{
    if (m_indent)
        for (unsigned int i = 0; i < depth; ++i)
            m_out += Indent;
    m_out += '<';
    m_out += element.name();
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute; attribute = attribute.next_attribute())
    {
        m_out += ' ';
        m_out += attribute.name();
        m_out += "=\"";
        m_out += attribute.value();
        m_out += '"';
    }
    m_out += '>';
    if (m_indent)
        m_out += '\n';
}

void CMessageXmlWriter::WriteEndTag(pugi::xml_node element, unsigned int depth)
{
    if (m_indent)
        for (unsigned int i = 0; i < depth; ++i)
            m_out += Indent;
    m_out += "</";
    m_out += element.name();
    m_out += '>';
    if (m_indent)
        m_out += '\n';
}

void CMessageXmlWriter::Print(pugi::xml_writer& sink, pugi::xml_node element, unsigned int depth) const
{
    element.print(sink, Indent, m_indent ? IndentFormat : CompactFormat, pugi::encoding_utf8, depth);
}

bool CMessageXmlWriter::AppendMessage(pugi::xml_node parent, const CNMessageBase& message)
{
    pugi::xml_node element = parent.append_child("message");
    if (!element || !AppendAttribute(element, "group", message.GetGroup()) ||
        !AppendAttribute(element, "type", message.GetType()))
        return false;
    for (const CNMessageField& field : message.GetFields())
        if (!AppendField(element, field))
            return false;
    return true;
}

// A list field's element stays empty: WriteAroundLists writes its messages.
bool CMessageXmlWriter::AppendField(pugi::xml_node parent, const CNMessageField& field)
{
    pugi::xml_node element = parent.append_child("field");
    if (!element || !AppendAttribute(element, "first", field.first) ||
        !AppendAttribute(element, "second", field.second) || !AppendAttribute(element, "kind", KindName(field.kind)) ||
        !AppendAttribute(element, "tag", field.tag) || !AppendAttribute(element, "id", field.id))
        return false;
    switch (field.kind)
    {
    case CNMessageField::String:
    case CNMessageField::BString:
        return AppendText(element, field.text);
    case CNMessageField::Int64:
        return AppendNumberText(element, field.number);
    case CNMessageField::List:
        return true;
    }
    return false;
}

bool CMessageXmlWriter::AppendText(pugi::xml_node element, const std::string& text)
{
    // An empty text gets no node, so that the element is written as <field ...></field>.
    if (text.empty())
        return true;
    pugi::xml_node node = element.append_child(pugi::node_pcdata);
    if (!NeedsEscape(text))
        return node && node.set_value(text.data(), text.size());
    Escape(text, m_escaped);
    return node && node.set_value(m_escaped.data(), m_escaped.size());
}
