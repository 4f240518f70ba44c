#pragma once

#include "platform/KtLib/bstring.h"

#include <string>
#include <vector>

class CNMessageBase;

// One field of a message, in the order it was set. The value lives in `text` (String, BString),
// `number` (Int64) or `list` (List); the other value members stay empty.
struct CNMessageField
{
    enum Kind
    {
        String,
        Int64,
        BString,
        List
    };

    short first = 0;
    short second = 0;
    Kind kind = String;
    std::string text;
    long long number = 0;
    std::vector<CNMessageBase> list;
    unsigned long tag = 0;
    unsigned int id = 0;
};

// A message object with an XML form: a (group, type) pair and an ordered list of fields.
class CNMessageBase
{
public:
    // Nesting deeper than this many messages is refused by deserialize.
    static constexpr int MaxNestingDepth = 32;

    CNMessageBase(short group, short type);
    virtual ~CNMessageBase();

    CNMessageBase(const CNMessageBase&) = default;
    CNMessageBase(CNMessageBase&&) = default;
    CNMessageBase& operator=(const CNMessageBase&) = default;
    CNMessageBase& operator=(CNMessageBase&&) = default;

    short GetGroup() const { return m_group; }
    short GetType() const { return m_type; }
    const std::vector<CNMessageField>& GetFields() const { return m_fields; }

    // Each setter appends one field; a null list pointer sets an empty list.
    void setstring(short first, short second, const std::string& value, unsigned long tag, unsigned int id);
    void setint64(short first, short second, long long value, unsigned long tag, unsigned int id);
    void setbstringobject(short first, short second, const bstring& value, unsigned long tag, unsigned int id);
    void setlistobject(short first, short second, std::vector<CNMessageBase>* value, unsigned long tag,
                       unsigned int id);

    // Replaces `out` with the message's XML; indent puts every element on its own line. Leaves
    // `out` empty, which deserialize refuses, if memory runs out.
    void serialize(std::string& out, bool indent) const;
    // Replaces this message with the one in `xml`. On malformed text returns false and leaves
    // this message unchanged.
    bool deserialize(const std::string& xml);

private:
    // The reader moves decoded values and lists into fields rather than copying them.
    friend class CMessageXmlReader;

    CNMessageField& AddField(short first, short second, CNMessageField::Kind kind, unsigned long tag,
                             unsigned int id);

    short m_group;
    short m_type;
    std::vector<CNMessageField> m_fields;
};
