#pragma once

#include "platform/KtXMLMessagesBase/KtXMLMessagesBase.h"

namespace DistributedPex
{
// A batch of FileExtentRestoredItem messages in one list field.
class FileExtentRestoredItemList : public CNMessageBase
{
public:
    static constexpr short Group = 119;
    static constexpr short Type = 74;

    FileExtentRestoredItemList();
};
} // namespace DistributedPex
