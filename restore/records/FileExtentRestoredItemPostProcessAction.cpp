#include "restore/records/FileExtentRestoredItemPostProcessAction.h"

#include "platform/ZuUtils/FXString.h"

#include <cstdlib>
#include <vector>

namespace FILEEXTENT_RESTORE
{
namespace
{
const char* const kDeleteTag = "<DELETE>";
const char* const kRenameTag = "<RENAME>";
const char* const kSeparator = "|";
} // namespace

CZuError CFileExtentRestoredItemPostProcessAction::SerializeToString(std::string& out) const
{
    out.clear();
    if (DeleteItem)
        out += FXString::Format("%s%u", kDeleteTag, 1u);
    if (!out.empty())
        out += kSeparator;
    if (RenameItem)
        out += kRenameTag + NewName; // concatenated, so a NUL in the name is kept
    return CZuError::Success();
}

CZuError CFileExtentRestoredItemPostProcessAction::DeserializeFromString(const std::string& text)
{
    if (text.empty())
        return CZuError::Success();
    std::vector<std::string> parts;
    FXString::Split(text, kSeparator, parts, 0);
    for (std::string& part : parts)
    {
        if (FXString::RemoveLeft(part, kDeleteTag))
            DeleteItem = static_cast<unsigned int>(std::strtoul(part.c_str(), nullptr, 10)) != 0;
        else if (FXString::RemoveLeft(part, kRenameTag))
        {
            RenameItem = true;
            NewName = part;
        }
    }
    return CZuError::Success();
}
} // namespace FILEEXTENT_RESTORE
