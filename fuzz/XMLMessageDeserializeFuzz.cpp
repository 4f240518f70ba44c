#include "fuzz/FuzzCheck.h"
#include "platform/KtXMLMessagesBase/KtXMLMessagesBase.h"

// Any text must either parse into a message that writes back and parses again to the same
// text, or be refused; never crash or overread.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CNMessageBase message(0, 0);
    if (!message.deserialize(FuzzCheck::Bytes(data, size)))
        return 0;
    std::string first;
    message.serialize(first, false);
    CNMessageBase again(0, 0);
    FuzzCheck::Require(again.deserialize(first), "a written message was refused");
    std::string second;
    again.serialize(second, false);
    FuzzCheck::Require(first == second, "the message wrote back differently");
    return 0;
}
