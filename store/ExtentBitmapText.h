#pragma once

#include <boost/dynamic_bitset.hpp>

#include <string>

namespace FILEEXTENT_RESTORE
{
typedef boost::dynamic_bitset<unsigned char> CExtentBitmap;

// The stored form of an extent bitmap: one '1' or '0' per bit, highest bit first, bit 0 last.
class CExtentBitmapText
{
public:
    static std::string ToText(const CExtentBitmap& bitmap);
    // Null or empty bytes give an empty bitmap; any byte but '1' reads as a clear bit.
    static CExtentBitmap FromText(const unsigned char* bytes, size_t length);
    // The same into bitmap, whose storage is reused.
    static void FromText(const unsigned char* bytes, size_t length, CExtentBitmap& bitmap);
};
} // namespace FILEEXTENT_RESTORE
