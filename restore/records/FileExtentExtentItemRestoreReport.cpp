#include "restore/records/FileExtentExtentItemRestoreReport.h"

#include <new>

namespace FILEEXTENT_RESTORE
{
class CFileExtentItemRestoreReportPrivate
{
public:
    ULONGLONG ExtentNumber = 0;
    unsigned int ErrCode = 0;
    RestoreStatus Status = PROGRESSING;
};

CFileExtentExtentItemRestoreReport::CFileExtentExtentItemRestoreReport()
    : d(new (std::nothrow) CFileExtentItemRestoreReportPrivate())
{
}

CFileExtentExtentItemRestoreReport::CFileExtentExtentItemRestoreReport(const CFileExtentExtentItemRestoreReport& other)
    : d(new (std::nothrow) CFileExtentItemRestoreReportPrivate(*other.d))
{
}

CFileExtentExtentItemRestoreReport& CFileExtentExtentItemRestoreReport::operator=(
    const CFileExtentExtentItemRestoreReport& other)
{
    if (this != &other)
        *d = *other.d;
    return *this;
}

CFileExtentExtentItemRestoreReport::~CFileExtentExtentItemRestoreReport() = default;

ULONGLONG CFileExtentExtentItemRestoreReport::GetExtentNumber() const { return d->ExtentNumber; }
void CFileExtentExtentItemRestoreReport::SetExtentNumber(ULONGLONG extentNumber) { d->ExtentNumber = extentNumber; }
unsigned int CFileExtentExtentItemRestoreReport::GetErrCode() const { return d->ErrCode; }
void CFileExtentExtentItemRestoreReport::SetErrCode(unsigned int errCode) { d->ErrCode = errCode; }
RestoreStatus CFileExtentExtentItemRestoreReport::GetRestoreStatus() const { return d->Status; }
void CFileExtentExtentItemRestoreReport::SetRestoreStatus(RestoreStatus status) { d->Status = status; }
} // namespace FILEEXTENT_RESTORE
