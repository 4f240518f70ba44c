#pragma once

#include "platform/KtXMLMessagesBase/KtXMLMessagesBase.h"

namespace DistributedPex
{
// One restored-item record as the collector receives it.
class FileExtentRestoredItem : public CNMessageBase
{
public:
    static constexpr short Group = 119;
    static constexpr short Type = 59;

    FileExtentRestoredItem();
};
} // namespace DistributedPex
