#include "store/StoreError.h"

#include "foundation/ErrorContext.h"

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
    return CErrorContext::Wrap(cause, where, message);
}
} // namespace FILEEXTENT_RESTORE
