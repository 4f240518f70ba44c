#include "recall/FileExtentRecallReport.h"

namespace FILEEXTENTRECALLDB
{
void CFileExtentRecallFileReport::FillFrom(const CRecalledItem& item)
{
    FilePath = item.FilePath;
    RestoredFilePath = item.RestoredFilePath.value_or(std::string());
    Status.Status = item.Status.value_or(PROGRESSING);
    Status.ErrCode = item.ErrorCode.value_or(0u);
    NoOfExtents = static_cast<std::uint64_t>(item.NumOfExtents.value_or(0));
    ContainerItemRestored = false;
    ExtentBitmap = item.ExtentBitmap.value_or(boost::dynamic_bitset<unsigned char>());
    Metadata = item.Metadata.value_or(CFileExtentRecallFileMetadata());
}
} // namespace FILEEXTENTRECALLDB
