#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace FILEEXTENTRECALLDB
{
// Writes one flat JSON object straight into text, with the bytes KtJson::Serialize gives for the
// same members: compact, unsigned numbers in decimal, strings escaped as that writer escapes them.
// Building the object first costs far more than the text itself, and the recall metadata is written
// on every few extent events. The caller passes the members in key order (the order of the
// object's map) and its keys are plain letters. A string the writer cannot match byte for byte
// (one that is not valid UTF-8) is refused, and the caller then writes through the object.
class CRecallJsonWriter
{
public:
    // capacity: the text's expected size, reserved at once.
    explicit CRecallJsonWriter(std::size_t capacity);

    void Number(const char* key, std::uint64_t value);
    // False, with nothing written, for bytes that are not valid UTF-8.
    bool String(const char* key, const std::string& value);
    // Closes the object and hands its text over in out; the writer is spent.
    void Finish(std::string& out);

private:
    void Key(const char* key);
    void Escaped(const std::string& value);

    std::string m_text;
};
} // namespace FILEEXTENTRECALLDB
