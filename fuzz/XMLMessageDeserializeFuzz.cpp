#include "platform/KtXMLMessagesBase/KtXMLMessagesBase.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Any text must either parse into a message that writes back and parses again to the same
// text, or be refused; never crash or overread.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CNMessageBase message(0, 0);
    if (!message.deserialize(std::string(reinterpret_cast<const char*>(data), size)))
        return 0;
    std::string first;
    message.serialize(first, false);
    CNMessageBase again(0, 0);
    if (!again.deserialize(first))
        __builtin_trap();
    std::string second;
    again.serialize(second, false);
    if (first != second)
        __builtin_trap();
    return 0;
}
