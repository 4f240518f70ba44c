#include "recall/RecalledItem.h"

namespace FILEEXTENTRECALLDB
{
void CRecalledItem::Reset()
{
    FilePath.clear();
    RestoredFilePath = std::string();
    ErrorCode = 0u;
    Status = PROGRESSING;
    ContainerItemRestored = false;
    PostProcessAction = std::string();
    NumOfExtents = static_cast<std::int64_t>(0);
    ExtentBitmap = boost::dynamic_bitset<unsigned char>();
}
} // namespace FILEEXTENTRECALLDB
