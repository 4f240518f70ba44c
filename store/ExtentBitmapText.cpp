#include "store/ExtentBitmapText.h"

namespace FILEEXTENT_RESTORE
{
std::string CExtentBitmapText::ToText(const CExtentBitmap& bitmap)
{
    const size_t size = bitmap.size();
    std::string text(size, '0');
    for (size_t bit = bitmap.find_first(); bit != CExtentBitmap::npos; bit = bitmap.find_next(bit))
        text[size - 1 - bit] = '1';
    return text;
}

CExtentBitmap CExtentBitmapText::FromText(const unsigned char* bytes, size_t length)
{
    CExtentBitmap bitmap;
    FromText(bytes, length, bitmap);
    return bitmap;
}

void CExtentBitmapText::FromText(const unsigned char* bytes, size_t length, CExtentBitmap& bitmap)
{
    bitmap.resize(bytes ? length : 0);
    bitmap.reset();
    for (size_t bit = 0; bit < bitmap.size(); ++bit)
        if (bytes[length - 1 - bit] == '1')
            bitmap.set(bit);
}
} // namespace FILEEXTENT_RESTORE
