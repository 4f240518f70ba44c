#pragma once

#include "platform/ZuUtils/ZuError.h"

// A failing call returns its error with this function's location pushed. The location is
// made only on failure: these sit on the per-extent path.
#define FX_RETURN_IF_ERROR(expr)                                                                                    \
    do                                                                                                              \
    {                                                                                                               \
        CZuError fx_error_ = (expr);                                                                                \
        if (fx_error_.IsError())                                                                                    \
            return fx_error_.Push(FX_CODE_LOCATION);                                                                \
    } while (0)

// Returns the callee's result as this function's own: a failure gets this location pushed.
#define FX_RETURN_PROPAGATED(expr)                                                                                  \
    do                                                                                                              \
    {                                                                                                               \
        CZuError fx_error_ = (expr);                                                                                \
        if (fx_error_.IsError())                                                                                    \
            fx_error_.Push(FX_CODE_LOCATION);                                                                       \
        return fx_error_;                                                                                           \
    } while (0)
