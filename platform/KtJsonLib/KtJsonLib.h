#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace json_spirit
{
typedef nlohmann::json mValue;
// Key-ordered object (std::map from key to value).
typedef nlohmann::json::object_t mObject;
} // namespace json_spirit

namespace KtJson
{
// Writes the object's JSON text into out. Never throws; false only when the text could not be made
// (out is then empty).
bool Serialize(const json_spirit::mObject& object, std::string& out);

// Replaces out with the members of the JSON object in text. Never throws; text that does not parse,
// or that is not an object, gives an empty object and false.
bool Unserialize(const std::string& text, json_spirit::mObject& out);
} // namespace KtJson
