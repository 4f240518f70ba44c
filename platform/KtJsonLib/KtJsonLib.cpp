#include "platform/KtJsonLib/KtJsonLib.h"

namespace KtJson
{
bool Serialize(const json_spirit::mObject& object, std::string& out)
{
    try
    {
        // Invalid UTF-8 in a string is replaced rather than failing the whole text.
        out = json_spirit::mValue(object).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
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
