#pragma once

#include "platform/KtXMLMessagesBase/KtXMLMessagesBase.h"

#include <string>

namespace pugi
{
class xml_node;
class xml_writer;
} // namespace pugi

// Writes a message as XML:
//   <message group="G" type="T"><field first="F" second="S" kind="K" tag="N" id="I">value</field>...</message>
// A list field holds its messages as child elements. Every byte that is markup or a control
// character is written as an entity, so any string comes back unchanged from the reader.
// Each message becomes a pugixml element of values escaped here, saved without pugixml's own
// escaping (which differs from this one).
class CMessageXmlWriter
{
public:
    CMessageXmlWriter(std::string& out, bool indent);

    // Replaces `out` with the message's text; false, with `out` empty, when memory runs out.
    bool Write(const CNMessageBase& message);

    static const char* KindName(CNMessageField::Kind kind);

private:
    bool WriteMessage(pugi::xml_writer& sink, const CNMessageBase& message, unsigned int depth);
    bool WriteAroundLists(pugi::xml_writer& sink, pugi::xml_node element, const CNMessageBase& message,
                          unsigned int depth);
    void WriteStartTag(pugi::xml_node element, unsigned int depth);
    void WriteEndTag(pugi::xml_node element, unsigned int depth);
    void Print(pugi::xml_writer& sink, pugi::xml_node element, unsigned int depth) const;

    bool AppendMessage(pugi::xml_node parent, const CNMessageBase& message);
    bool AppendField(pugi::xml_node parent, const CNMessageField& field);
    bool AppendText(pugi::xml_node element, const std::string& text);

    std::string& m_out;
    bool m_indent;
    std::string m_escaped;
};
