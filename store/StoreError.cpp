#include "store/StoreError.h"

namespace FILEEXTENT_RESTORE
{
CZuError CStoreError::FromException(const FX::CSQLite3Exception& e, const FXCodeLocation& where)
{
    const char* message = e.errorMessage();
    return FXErrorUtil::ErrorSQLite(where, static_cast<unsigned int>(e.errorCode()), "SQLite Exception%s%s",
                                    message ? ", " : "", message ? message : "");
}

CZuError CStoreError::WithMessage(const CZuError& cause, const FXCodeLocation& where, const std::string& message)
{
    const std::vector<FXCodeLocation>& trail = cause.GetLocations();
    CZuError error(cause.GetKind(), cause.GetCode(), message, trail.empty() ? where : trail.front());
    for (size_t i = 1; i < trail.size(); ++i)
        error.Push(trail[i]);
    return error.Push(where);
}
} // namespace FILEEXTENT_RESTORE
