#include "fuzz/FuzzCheck.h"
#include "restore/records/FileExtentRestoredItemPostProcessAction.h"

using FILEEXTENT_RESTORE::CFileExtentRestoredItemPostProcessAction;

namespace
{
bool Same(const CFileExtentRestoredItemPostProcessAction& a, const CFileExtentRestoredItemPostProcessAction& b)
{
    return a.DeleteItem == b.DeleteItem && a.RenameItem == b.RenameItem && a.NewName == b.NewName;
}

// The separator and NUL cannot stand in a stored name; the host is refused such names.
bool Storable(const CFileExtentRestoredItemPostProcessAction& action)
{
    return action.NewName.find_first_of(std::string("|\0", 2)) == std::string::npos;
}
} // namespace

// Any stored action text reads without fault; an action whose name can be stored writes back as
// a text reading to the same action.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CFileExtentRestoredItemPostProcessAction read;
    if (read.DeserializeFromString(FuzzCheck::Bytes(data, size)).IsError() || !Storable(read))
        return 0;
    std::string written;
    if (read.SerializeToString(written).IsError())
        return 0;
    CFileExtentRestoredItemPostProcessAction again;
    FuzzCheck::Require(!again.DeserializeFromString(written).IsError(), "a written action was refused");
    FuzzCheck::Require(Same(read, again), "the action read back differently");
    return 0;
}
