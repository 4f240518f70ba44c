#include "platform/KtXMLMessagesBase/MessageXmlWriter.h"

#include <cstdio>

CMessageXmlWriter::CMessageXmlWriter(std::string& out, bool indent) : m_out(out), m_indent(indent)
{
}

void CMessageXmlWriter::Write(const CNMessageBase& message)
{
    WriteMessage(message, 0);
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

void CMessageXmlWriter::WriteMessage(const CNMessageBase& message, int depth)
{
    m_out += "<message group=\"" + std::to_string(message.GetGroup()) + "\" type=\"" +
             std::to_string(message.GetType()) + "\">";
    for (const CNMessageField& field : message.GetFields())
    {
        BreakLine(depth + 1);
        WriteField(field, depth + 1);
    }
    if (!message.GetFields().empty())
        BreakLine(depth);
    m_out += "</message>";
}

void CMessageXmlWriter::WriteField(const CNMessageField& field, int depth)
{
    m_out += "<field first=\"" + std::to_string(field.first) + "\" second=\"" + std::to_string(field.second) +
             "\" kind=\"" + KindName(field.kind) + "\" tag=\"" + std::to_string(field.tag) + "\" id=\"" +
             std::to_string(field.id) + "\">";
    switch (field.kind)
    {
    case CNMessageField::String:
    case CNMessageField::BString:
        WriteEscaped(field.text);
        break;
    case CNMessageField::Int64:
        m_out += std::to_string(field.number);
        break;
    case CNMessageField::List:
        for (const CNMessageBase& child : field.list)
        {
            BreakLine(depth + 1);
            WriteMessage(child, depth + 1);
        }
        if (!field.list.empty())
            BreakLine(depth);
        break;
    }
    m_out += "</field>";
}

void CMessageXmlWriter::WriteEscaped(const std::string& text)
{
    for (char c : text)
    {
        const unsigned char byte = static_cast<unsigned char>(c);
        switch (c)
        {
        case '&':
            m_out += "&amp;";
            break;
        case '<':
            m_out += "&lt;";
            break;
        case '>':
            m_out += "&gt;";
            break;
        case '"':
            m_out += "&quot;";
            break;
        case '\'':
            m_out += "&apos;";
            break;
        default:
            if (byte < 0x20 || byte == 0x7F)
            {
                // Control characters (NUL included) travel as references: a reader keeps them exactly.
                char ref[8];
                std::snprintf(ref, sizeof(ref), "&#x%02X;", byte);
                m_out += ref;
            }
            else
            {
                // Bytes from 0x80 up are copied as they are, whether or not they form valid UTF-8.
                m_out += c;
            }
        }
    }
}

void CMessageXmlWriter::BreakLine(int depth)
{
    if (!m_indent)
        return;
    m_out += '\n';
    m_out.append(static_cast<std::size_t>(depth) * 2, ' ');
}
