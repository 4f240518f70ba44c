#include "restore/records/RestoredItem.h"

namespace FILEEXTENT_RESTORE
{
void CRestoredItem::Reset()
{
    FilePath.clear();
    RestoredItemVersion = 0;
    RestoredFilePath = std::string();
    ErrorCode = 0u;
    Status = PROGRESSING;
    ContainerItemRestored = false;
    PostProcessAction = std::string();
    NumOfExtents = static_cast<std::int64_t>(0);
    ExtentBitmap = boost::dynamic_bitset<unsigned char>();
    Metadata = std::string();
    TaskId = 0;
}
} // namespace FILEEXTENT_RESTORE
