#pragma once

#include "platform/KtXMLMessagesBase/KtXMLMessagesBase.h"

#include <string>

// Writes a message as XML:
//   <message group="G" type="T"><field first="F" second="S" kind="K" tag="N" id="I">value</field>...</message>
// A list field holds its messages as child elements. Every byte that is markup or a control
// character is written as an entity, so any string comes back unchanged from the reader.
class CMessageXmlWriter
{
public:
    CMessageXmlWriter(std::string& out, bool indent);

    void Write(const CNMessageBase& message);

    static const char* KindName(CNMessageField::Kind kind);

private:
    void WriteMessage(const CNMessageBase& message, int depth);
    void WriteField(const CNMessageField& field, int depth);
    void WriteEscaped(const std::string& text);
    void BreakLine(int depth);

    std::string& m_out;
    bool m_indent;
};
