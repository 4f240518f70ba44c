#include "restore/FileExtentRestoreHandlerPrivate.h"

#include "platform/ZuUtils/FXString.h"

namespace FILEEXTENT_RESTORE
{
bool IsRestoringItemOrderedBefore(const CRestoringItemAndVersion& a, const CRestoringItemAndVersion& b)
{
    const int byPath = FXString::CompareNoCase(a.FilePath, b.FilePath);
    if (byPath == 0)
        return a.Version < b.Version;
    return byPath < 0;
}

CFileExtentRestoreHandlerPrivate::CFileExtentRestoreHandlerPrivate()
    : fnComparator(IsRestoringItemOrderedBefore), bDistributedRestore(false), maxRowLength(0)
{
}

CFileExtentRestoreHandlerPrivate::~CFileExtentRestoreHandlerPrivate() = default;
} // namespace FILEEXTENT_RESTORE
