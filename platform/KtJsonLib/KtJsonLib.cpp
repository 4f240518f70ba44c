#include "platform/KtJsonLib/KtJsonLib.h"

namespace KtJson
{
namespace
{
// Invalid UTF-8 in a string is replaced rather than failing the whole text.
std::string Dump(const json_spirit::mValue& value)
{
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}
} // namespace

bool Serialize(const json_spirit::mObject& object, std::string& out)
{
    try
    {
        // Member by member, the same text as one compact dump: a temporary object value would
        // allocate in its destructor, and running out of memory there terminates the process.
        std::string text = "{";
        for (const auto& member : object)
        {
            if (text.size() > 1)
                text += ',';
            text += Dump(json_spirit::mValue(member.first));
            text += ':';
            text += Dump(member.second);
        }
        text += '}';
        out.swap(text);
        return true;
    }
    catch (...)
    {
        out.clear();
        return false;
    }
}

bool Unserialize(const std::string& text, json_spirit::mObject& out)
{
    try
    {
        out.clear();
        json_spirit::mValue value = json_spirit::mValue::parse(text, nullptr, false);
        if (!value.is_object())
            return false;
        out = std::move(*value.get_ptr<json_spirit::mObject*>());
        return true;
    }
    catch (...)
    {
        out.clear();
        return false;
    }
}
} // namespace KtJson
