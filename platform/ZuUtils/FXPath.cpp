#include "platform/ZuUtils/FXPath.h"

CZuError FXPath::Append(std::string& path, const std::string& part, int /*flags*/)
{
    if (path.empty())
    {
        path = part;
        return CZuError::Success();
    }
    if (path.back() != '/')
        path += '/';
    path += (!part.empty() && part.front() == '/') ? part.substr(1) : part;
    return CZuError::Success();
}
