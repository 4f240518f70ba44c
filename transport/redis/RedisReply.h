#pragma once

#include <string>
#include <vector>

namespace FILEEXTENT_REDIS
{
// One reply of a Redis server, copied out of the client library so that its headers stay
// private to the transport.
struct CRedisReply
{
    enum Kind
    {
        Nil,
        String,  // a bulk string: Text, binary-safe
        Status,  // a simple string such as OK: Text
        Error,   // an error reply: Text, starting with its code (ERR, BUSYGROUP, NOGROUP, ...)
        Integer, // Number
        Array,   // Elements
    };

    Kind ReplyKind = Nil;
    std::string Text;
    long long Number = 0;
    std::vector<CRedisReply> Elements;

    bool IsText() const { return ReplyKind == String || ReplyKind == Status; }
    bool IsErrorCode(const std::string& code) const
    {
        return ReplyKind == Error && Text.compare(0, code.size(), code) == 0 &&
               (Text.size() == code.size() || Text[code.size()] == ' ');
    }
};
} // namespace FILEEXTENT_REDIS
