#pragma once

#include "platform/ZuUtils/ZuError.h"

#include <string>

// Layered messages: what this layer was doing, then the cause's own text.
class CErrorContext
{
public:
    // The cause's kind, code and trail, under the message "context: cause's message" (just the
    // context when the cause has none), with where pushed.
    static CZuError Wrap(const CZuError& cause, const FXCodeLocation& where, const std::string& context);
};
