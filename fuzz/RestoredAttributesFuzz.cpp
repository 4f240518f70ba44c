#include "fuzz/FuzzCheck.h"
#include "restore/records/FileExtentContainerItemRestoredAttributes.h"

using FILEEXTENT_RESTORE::CFileExtentContainerItemRestoredAttributes;

namespace
{
bool Same(const CFileExtentContainerItemRestoredAttributes& a, const CFileExtentContainerItemRestoredAttributes& b)
{
    return a.Value1 == b.Value1 && a.Value2 == b.Value2 && a.Value3 == b.Value3 && a.Value4 == b.Value4 &&
           a.Value5 == b.Value5;
}

CFileExtentContainerItemRestoredAttributes Marked()
{
    CFileExtentContainerItemRestoredAttributes attributes;
    attributes.Value1 = 11;
    attributes.Value2 = 22;
    attributes.Value3 = 33;
    attributes.Value4 = 44;
    attributes.Value5 = 55;
    return attributes;
}
} // namespace

// A stored attributes text is either refused, changing nothing, or read into values that write
// back as a text reading to the same values.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CFileExtentContainerItemRestoredAttributes read = Marked();
    if (read.DeserializeFromString(FuzzCheck::Bytes(data, size)).IsError())
    {
        FuzzCheck::Require(Same(Marked(), read), "a refused text changed the attributes");
        return 0;
    }
    std::string written;
    FuzzCheck::Require(!read.SerializeToString(written).IsError(), "attributes read could not be written");
    CFileExtentContainerItemRestoredAttributes again;
    FuzzCheck::Require(!again.DeserializeFromString(written).IsError(), "written attributes were refused");
    FuzzCheck::Require(Same(read, again), "attributes read back differently");
    return 0;
}
