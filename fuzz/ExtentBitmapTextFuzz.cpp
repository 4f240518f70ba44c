#include "fuzz/FuzzCheck.h"
#include "store/ExtentBitmapText.h"

using FILEEXTENT_RESTORE::CExtentBitmap;
using FILEEXTENT_RESTORE::CExtentBitmapText;

// Any stored BLOB reads as a bitmap of its length, whose text reads back as the same bitmap.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const CExtentBitmap read = CExtentBitmapText::FromText(data, size);
    FuzzCheck::Require(read.size() == size, "the bitmap does not have one bit per byte");
    const std::string written = CExtentBitmapText::ToText(read);
    const CExtentBitmap again =
        CExtentBitmapText::FromText(reinterpret_cast<const unsigned char*>(written.data()), written.size());
    FuzzCheck::Require(read == again, "the bitmap read back differently");
    return 0;
}
