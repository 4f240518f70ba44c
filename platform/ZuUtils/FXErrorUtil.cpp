#include "platform/ZuUtils/FXErrorUtil.h"

#include "platform/ZuUtils/FXString.h"

#include <cstdarg>

CZuError FXErrorUtil::ErrorWin32(const FXCodeLocation& location, unsigned int code)
{
    return CZuError(CZuError::Kind::Win32, code, std::string(), location);
}

CZuError FXErrorUtil::ErrorWin32(const FXCodeLocation& location, unsigned int code, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string message = FXString::FormatV(format, args);
    va_end(args);
    return CZuError(CZuError::Kind::Win32, code, std::move(message), location);
}

CZuError FXErrorUtil::ErrorSQLite(const FXCodeLocation& location, unsigned int code, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string message = FXString::FormatV(format, args);
    va_end(args);
    return CZuError(CZuError::Kind::SQLite, code, std::move(message), location);
}

bool FXErrorUtil::IsWin32(const CZuError& error, unsigned int code)
{
    return error.GetKind() == CZuError::Kind::Win32 && error.GetCode() == code;
}

bool FXErrorUtil::IsNotWin32(const CZuError& error, unsigned int code)
{
    return error.IsError() && !IsWin32(error, code);
}

bool FXErrorUtil::IsSQLite(const CZuError& error, unsigned int code)
{
    return error.GetKind() == CZuError::Kind::SQLite && error.GetCode() == code;
}
