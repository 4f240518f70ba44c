#pragma once

#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/ZuError.h"

#include <exception>
#include <utility>

// Calls a host's function object that returns a CZuError: what it throws becomes an error
// (ERROR_GEN_FAILURE) instead of unwinding through the library.
template <class Callback, class... Args>
CZuError FXCallHost(const Callback& callback, Args&&... args)
{
    try
    {
        return callback(std::forward<Args>(args)...);
    }
    catch (const std::exception& e)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_GEN_FAILURE, "Callback threw: %s", e.what());
    }
    catch (...)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_GEN_FAILURE, "Callback threw");
    }
}
