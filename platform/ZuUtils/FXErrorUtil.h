#pragma once

#include "platform/ZuUtils/ZuError.h"

// Win32 codes the system makes or tests.
enum : unsigned int
{
    ERROR_ACCESS_DENIED = 5,
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_INVALID_DATA = 13,
    ERROR_OUTOFMEMORY = 14,
    ERROR_GEN_FAILURE = 31,
    ERROR_NOT_SUPPORTED = 50,
    ERROR_INVALID_PARAMETER = 87,
    ERROR_ALREADY_EXISTS = 183,
    ERROR_NOT_FOUND = 1168,
    ERROR_NETWORK_UNREACHABLE = 1231,
    ERROR_ALREADY_INITIALIZED = 1247,
    ERROR_TIMEOUT = 1460,
    ERROR_INVALID_STATE = 5023,
};

class FXErrorUtil
{
public:
    static CZuError ErrorWin32(const FXCodeLocation& location, unsigned int code);
    static CZuError ErrorWin32(const FXCodeLocation& location, unsigned int code, const char* format, ...)
        __attribute__((format(printf, 3, 4)));
    static CZuError ErrorSQLite(const FXCodeLocation& location, unsigned int code, const char* format, ...)
        __attribute__((format(printf, 3, 4)));

    static bool IsWin32(const CZuError& error, unsigned int code);
    // A failure other than the given Win32 code (a success is not).
    static bool IsNotWin32(const CZuError& error, unsigned int code);
    static bool IsSQLite(const CZuError& error, unsigned int code);
};
