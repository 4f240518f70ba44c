#include "foundation/ErrorContext.h"

CZuError CErrorContext::Wrap(const CZuError& cause, const FXCodeLocation& where, const std::string& context)
{
    const std::string& reason = cause.GetMessage();
    const std::string message = reason.empty() ? context : context + ": " + reason;
    const std::vector<FXCodeLocation>& trail = cause.GetLocations();
    CZuError error(cause.GetKind(), cause.GetCode(), message, trail.empty() ? where : trail.front());
    for (size_t i = 1; i < trail.size(); ++i)
        error.Push(trail[i]);
    return error.Push(where);
}
