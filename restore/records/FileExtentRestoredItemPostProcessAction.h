#pragma once

#include "platform/ZuUtils/ZuError.h"

#include <string>

namespace FILEEXTENT_RESTORE
{
// What to do with the restored item afterwards; stored as "<DELETE>1|<RENAME>name".
class CFileExtentRestoredItemPostProcessAction
{
public:
    bool DeleteItem = false;
    bool RenameItem = false;
    std::string NewName;

    CZuError SerializeToString(std::string& out) const;
    // Members no part mentions keep their values; a "|" inside NewName does not survive.
    CZuError DeserializeFromString(const std::string& text);
};
} // namespace FILEEXTENT_RESTORE
