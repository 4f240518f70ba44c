#pragma once

#include "platform/ZuSQLite/SQLite3Exception.h"
#include "platform/ZuUtils/FXErrorUtil.h"

#include <new>
#include <string>

namespace FILEEXTENT_RESTORE
{
// How the store turns engine failures into errors.
class CStoreError
{
public:
    // The SQLite error "SQLite Exception%s%s": ", " and the engine's message, or nothing.
    static CZuError FromException(const FX::CSQLite3Exception& e, const FXCodeLocation& where);

    // The cause's kind and code under a message of this layer followed by the cause's own text;
    // its trail is kept and where is pushed.
    static CZuError WithMessage(const CZuError& cause, const FXCodeLocation& where, const std::string& message);

    // Runs fn (returning CZuError); a wrapper exception becomes FromException's error, located at
    // the caller. The location is made only then: guarded calls sit on every write.
    template <class Fn>
    static CZuError Guard(Fn&& fn, const char* file = __builtin_FILE(), const char* function = __builtin_FUNCTION(),
                          int line = __builtin_LINE())
    {
        try
        {
            return fn();
        }
        catch (const FX::CSQLite3Exception& e)
        {
            return FromException(e, FXCodeLocation(FXCodeLocation::BaseName(file), function, line));
        }
        catch (const std::bad_alloc&)
        {
            return FXErrorUtil::ErrorWin32(FXCodeLocation(FXCodeLocation::BaseName(file), function, line),
                                           ERROR_OUTOFMEMORY);
        }
    }
};
} // namespace FILEEXTENT_RESTORE
