#include "platform/KtXMLMessagesBase/KtXMLMessagesBase.h"

#include "platform/KtXMLMessagesBase/MessageXmlReader.h"
#include "platform/KtXMLMessagesBase/MessageXmlWriter.h"

#include <new>
#include <stdexcept>

CNMessageBase::CNMessageBase(short group, short type) : m_group(group), m_type(type)
{
}

CNMessageBase::~CNMessageBase() = default;

CNMessageField& CNMessageBase::AddField(short first, short second, CNMessageField::Kind kind, unsigned long tag,
                                        unsigned int id)
{
    m_fields.emplace_back();
    CNMessageField& field = m_fields.back();
    field.first = first;
    field.second = second;
    field.kind = kind;
    field.tag = tag;
    field.id = id;
    return field;
}

void CNMessageBase::setstring(short first, short second, const std::string& value, unsigned long tag,
                              unsigned int id)
{
    AddField(first, second, CNMessageField::String, tag, id).text = value;
}

void CNMessageBase::setint64(short first, short second, long long value, unsigned long tag, unsigned int id)
{
    AddField(first, second, CNMessageField::Int64, tag, id).number = value;
}

void CNMessageBase::setbstringobject(short first, short second, const bstring& value, unsigned long tag,
                                     unsigned int id)
{
    AddField(first, second, CNMessageField::BString, tag, id).text = value.str();
}

void CNMessageBase::setlistobject(short first, short second, std::vector<CNMessageBase>* value, unsigned long tag,
                                  unsigned int id)
{
    CNMessageField& field = AddField(first, second, CNMessageField::List, tag, id);
    if (value)
        field.list = *value;
}

void CNMessageBase::serialize(std::string& out, bool indent) const
{
    try
    {
        CMessageXmlWriter(out, indent).Write(*this);
    }
    catch (const std::bad_alloc&)
    {
        out.clear();
    }
    catch (const std::length_error&)
    {
        out.clear();
    }
}

bool CNMessageBase::deserialize(const std::string& xml)
{
    try
    {
        CNMessageBase parsed(0, 0);
        if (!CMessageXmlReader(xml).Read(parsed))
            return false;
        *this = std::move(parsed);
        return true;
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    catch (const std::length_error&)
    {
        return false;
    }
}
