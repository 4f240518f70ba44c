#pragma once

#include "platform/KtXMLMessagesBase/KtXMLMessagesBase.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// Reads the XML that CMessageXmlWriter writes, with any whitespace between elements, either
// quote around attribute values and empty elements written as <x .../>. Anything else is refused.
// Every read is bounds-checked and message nesting is limited, so hostile text cannot crash it.
class CMessageXmlReader
{
public:
    explicit CMessageXmlReader(const std::string& xml);

    // Reads the one message the text holds; false when the text is not exactly that.
    bool Read(CNMessageBase& message);

    // The attributes of a <field> element.
    struct FieldHeader
    {
        short first = 0;
        short second = 0;
        CNMessageField::Kind kind = CNMessageField::String;
        unsigned long tag = 0;
        unsigned int id = 0;
    };

private:
    typedef std::vector<std::pair<std::string, std::string>> Attributes;

    bool ReadMessage(CNMessageBase& message, int depth);
    bool ReadField(CNMessageBase& message, int depth);
    bool ReadTextField(CNMessageBase& message, const FieldHeader& header, bool empty);
    bool ReadInt64Field(CNMessageBase& message, const FieldHeader& header, bool empty);
    bool ReadListField(CNMessageBase& message, const FieldHeader& header, bool empty, int depth);

    bool ReadStartTag(const char* name, Attributes& attributes, bool& empty);
    bool ReadAttribute(Attributes& attributes);
    bool ReadEndTag(const char* name);
    bool ReadText(std::string& text, char stop);
    bool ReadReference(std::string& text);
    bool ReadName(std::string& name);

    bool Consume(const char* literal);
    bool Peek(const char* literal) const;
    void SkipSpace();
    bool AtEnd() const { return m_pos >= m_xml.size(); }

    const std::string& m_xml;
    std::size_t m_pos = 0;
};
