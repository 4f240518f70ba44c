#pragma once

#include "platform/KtXMLMessagesBase/KtXMLMessagesBase.h"

#include <string>

namespace pugi
{
class xml_node;
} // namespace pugi

// Reads the XML that CMessageXmlWriter writes, with any whitespace between elements, either
// quote around attribute values and empty elements written as <x .../>. Anything else is refused.
// pugixml parses the text; the elements, attributes and references are checked and decoded here,
// and message nesting is limited, so hostile text cannot crash it or exhaust the stack.
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
    static bool ReadMessage(pugi::xml_node element, CNMessageBase& message, int depth);
    static bool ReadField(pugi::xml_node element, CNMessageBase& message, int depth);
    static bool ReadTextField(pugi::xml_node element, CNMessageBase& message, const FieldHeader& header);
    static bool ReadInt64Field(pugi::xml_node element, CNMessageBase& message, const FieldHeader& header);
    static bool ReadListField(pugi::xml_node element, CNMessageBase& message, const FieldHeader& header, int depth);

    const std::string& m_xml;
};
