#include "fuzz/FuzzCheck.h"
#include "platform/KtXMLMessagesBase/KtXMLMessagesBase.h"

namespace
{
std::string Written(const CNMessageBase& message, bool indent)
{
    std::string text;
    message.serialize(text, indent);
    return text;
}

// The text a message read from `xml` writes in the compact form.
std::string ReadBack(const std::string& xml)
{
    CNMessageBase message(0, 0);
    FuzzCheck::Require(message.deserialize(xml), "a written message was refused");
    return Written(message, false);
}
} // namespace

// Any text must either parse into a message whose compact and indented texts both read back to
// the same compact text, or be refused and leave the message as it was; never crash or overread.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CNMessageBase message(7, 9);
    message.setstring(1, 1, "kept", 2, 3);
    const std::string before = Written(message, false);
    if (!message.deserialize(FuzzCheck::Bytes(data, size)))
    {
        FuzzCheck::Require(Written(message, false) == before, "a refused text changed the message");
        return 0;
    }
    const std::string compact = Written(message, false);
    for (char c : compact)
        FuzzCheck::Require(static_cast<unsigned char>(c) >= 0x20, "the compact text holds a control byte");
    FuzzCheck::Require(ReadBack(compact) == compact, "the message wrote back differently");
    FuzzCheck::Require(ReadBack(Written(message, true)) == compact, "the indented text read back differently");
    return 0;
}
