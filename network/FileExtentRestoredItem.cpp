#include "network/FileExtentRestoredItem.h"

namespace DistributedPex
{
FileExtentRestoredItem::FileExtentRestoredItem() : CNMessageBase(Group, Type)
{
}
} // namespace DistributedPex
