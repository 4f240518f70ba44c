#pragma once

#include "platform/ZuUtils/ZuTypes.h"
#include "restore/records/FileExtentContainerItemRestoredAttributes.h"
#include "restore/records/FileExtentRestoredItemPostProcessAction.h"
#include "restore/records/RestoreStatus.h"

#include <boost/dynamic_bitset.hpp>
#include <boost/shared_ptr.hpp>

#include <memory>
#include <string>

namespace FILEEXTENT_RESTORE
{
class CFileExtentContainerItemRestoreReportPrivate;

// What the host says about one container item (file).
class CFileExtentContainerItemRestoreReport
{
public:
    CFileExtentContainerItemRestoreReport();
    CFileExtentContainerItemRestoreReport(const CFileExtentContainerItemRestoreReport& other);
    CFileExtentContainerItemRestoreReport& operator=(const CFileExtentContainerItemRestoreReport& other);
    ~CFileExtentContainerItemRestoreReport();

    const CFileExtentContainerItemRestoredAttributes& GetFileExtentContainerItemRestoredAttributes() const;
    void SetFileExtentContainerItemRestoredAttributes(const CFileExtentContainerItemRestoredAttributes& attributes);
    const CFileExtentRestoredItemPostProcessAction& GetFileExtentRestoredItemPostProcessAction() const;
    void SetFileExtentRestoredItemPostProcessAction(const CFileExtentRestoredItemPostProcessAction& action);
    ULONGLONG GetNoOfExtents() const;
    void SetNoOfExtents(ULONGLONG noOfExtents);
    const boost::dynamic_bitset<unsigned char>& GetExtentBitmap() const;
    void SetExtentBitmap(const boost::dynamic_bitset<unsigned char>& bitmap);
    std::string GetRestoredFilePath() const;
    void SetRestoredFilePath(std::string path);
    unsigned int GetErrCode() const;
    void SetErrCode(unsigned int errCode);
    RestoreStatus GetRestoreStatus() const;
    void SetRestoreStatus(RestoreStatus status);
    int GetTaskId() const;
    void SetTaskId(int taskId);

private:
    std::unique_ptr<CFileExtentContainerItemRestoreReportPrivate> d;
};

typedef boost::shared_ptr<CFileExtentContainerItemRestoreReport> CFileExtentContainerItemRestoreReportPtr;
} // namespace FILEEXTENT_RESTORE
