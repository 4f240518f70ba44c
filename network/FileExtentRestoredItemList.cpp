#include "network/FileExtentRestoredItemList.h"

namespace DistributedPex
{
FileExtentRestoredItemList::FileExtentRestoredItemList() : CNMessageBase(Group, Type)
{
}
} // namespace DistributedPex
