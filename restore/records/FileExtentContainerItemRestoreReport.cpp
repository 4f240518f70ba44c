#include "restore/records/FileExtentContainerItemRestoreReport.h"

#include <new>
#include <utility>

namespace FILEEXTENT_RESTORE
{
class CFileExtentContainerItemRestoreReportPrivate
{
public:
    CFileExtentContainerItemRestoredAttributes FileExtentContainerItemRestoredAttributes;
    CFileExtentRestoredItemPostProcessAction FileExtentRestoredItemPostProcessAction;
    ULONGLONG NoOfExtents = 0;
    boost::dynamic_bitset<unsigned char> ExtentBitmap;
    std::string RestoredFilePath;
    unsigned int ErrCode = 0;
    RestoreStatus Status = PROGRESSING;
    int TaskId = 0;
};

CFileExtentContainerItemRestoreReport::CFileExtentContainerItemRestoreReport()
    : d(new (std::nothrow) CFileExtentContainerItemRestoreReportPrivate())
{
}

CFileExtentContainerItemRestoreReport::CFileExtentContainerItemRestoreReport(
    const CFileExtentContainerItemRestoreReport& other)
    : d(new (std::nothrow) CFileExtentContainerItemRestoreReportPrivate(*other.d))
{
}

CFileExtentContainerItemRestoreReport& CFileExtentContainerItemRestoreReport::operator=(
    const CFileExtentContainerItemRestoreReport& other)
{
    if (this != &other)
        *d = *other.d;
    return *this;
}

CFileExtentContainerItemRestoreReport::~CFileExtentContainerItemRestoreReport() = default;

const CFileExtentContainerItemRestoredAttributes&
CFileExtentContainerItemRestoreReport::GetFileExtentContainerItemRestoredAttributes() const
{
    return d->FileExtentContainerItemRestoredAttributes;
}

void CFileExtentContainerItemRestoreReport::SetFileExtentContainerItemRestoredAttributes(
    const CFileExtentContainerItemRestoredAttributes& attributes)
{
    d->FileExtentContainerItemRestoredAttributes = attributes;
}

const CFileExtentRestoredItemPostProcessAction&
CFileExtentContainerItemRestoreReport::GetFileExtentRestoredItemPostProcessAction() const
{
    return d->FileExtentRestoredItemPostProcessAction;
}

void CFileExtentContainerItemRestoreReport::SetFileExtentRestoredItemPostProcessAction(
    const CFileExtentRestoredItemPostProcessAction& action)
{
    d->FileExtentRestoredItemPostProcessAction = action;
}

ULONGLONG CFileExtentContainerItemRestoreReport::GetNoOfExtents() const { return d->NoOfExtents; }
void CFileExtentContainerItemRestoreReport::SetNoOfExtents(ULONGLONG noOfExtents) { d->NoOfExtents = noOfExtents; }

const boost::dynamic_bitset<unsigned char>& CFileExtentContainerItemRestoreReport::GetExtentBitmap() const
{
    return d->ExtentBitmap;
}

void CFileExtentContainerItemRestoreReport::SetExtentBitmap(const boost::dynamic_bitset<unsigned char>& bitmap)
{
    d->ExtentBitmap = bitmap;
}

std::string CFileExtentContainerItemRestoreReport::GetRestoredFilePath() const { return d->RestoredFilePath; }
void CFileExtentContainerItemRestoreReport::SetRestoredFilePath(std::string path) { d->RestoredFilePath = std::move(path); }
unsigned int CFileExtentContainerItemRestoreReport::GetErrCode() const { return d->ErrCode; }
void CFileExtentContainerItemRestoreReport::SetErrCode(unsigned int errCode) { d->ErrCode = errCode; }
RestoreStatus CFileExtentContainerItemRestoreReport::GetRestoreStatus() const { return d->Status; }
void CFileExtentContainerItemRestoreReport::SetRestoreStatus(RestoreStatus status) { d->Status = status; }
int CFileExtentContainerItemRestoreReport::GetTaskId() const { return d->TaskId; }
void CFileExtentContainerItemRestoreReport::SetTaskId(int taskId) { d->TaskId = taskId; }
} // namespace FILEEXTENT_RESTORE
