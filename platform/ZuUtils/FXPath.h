#pragma once

#include "platform/ZuUtils/ZuError.h"

#include <string>

class FXPath
{
public:
    // Joins part onto the directory path in place, with exactly one '/' between them.
    static CZuError Append(std::string& path, const std::string& part, int flags);
};
