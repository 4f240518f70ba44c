#pragma once

#include "platform/ZuUtils/ZuTypes.h"
#include "restore/records/RestoreStatus.h"

#include <boost/shared_ptr.hpp>

#include <memory>

namespace FILEEXTENT_RESTORE
{
class CFileExtentItemRestoreReportPrivate;

// What the host says about one extent of a file.
class CFileExtentExtentItemRestoreReport
{
public:
    CFileExtentExtentItemRestoreReport();
    CFileExtentExtentItemRestoreReport(const CFileExtentExtentItemRestoreReport& other);
    CFileExtentExtentItemRestoreReport& operator=(const CFileExtentExtentItemRestoreReport& other);
    ~CFileExtentExtentItemRestoreReport();

    ULONGLONG GetExtentNumber() const;
    void SetExtentNumber(ULONGLONG extentNumber);
    unsigned int GetErrCode() const;
    void SetErrCode(unsigned int errCode);
    RestoreStatus GetRestoreStatus() const;
    void SetRestoreStatus(RestoreStatus status);

private:
    std::unique_ptr<CFileExtentItemRestoreReportPrivate> d;
};

typedef boost::shared_ptr<CFileExtentExtentItemRestoreReport> CFileExtentExtentItemRestoreReportPtr;
} // namespace FILEEXTENT_RESTORE
