#include "network/FileExtentMessageWire.h"

#include "network/FSRFileExtentRestoredItem.h"
#include "platform/ZuUtils/FXErrorUtil.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace FILEEXTENT_RESTORE
{
namespace
{
const std::size_t LengthBytes = 4;

std::size_t Padded(std::size_t length)
{
    return (length + 3) & ~static_cast<std::size_t>(3);
}
} // namespace

CZuError CFileExtentMessageWire::EncodeXdr(const ktsDatabuf* buffer, std::string& bytes)
{
    if (!buffer || buffer->size != sizeof(FSRFileExtentRestoredItem) || buffer->address == 0)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                       "The XDR descriptor does not hold a FSRFileExtentRestoredItem");
    const FSRFileExtentRestoredItem* record = reinterpret_cast<const FSRFileExtentRestoredItem*>(buffer->address);
    if (!record->pszFileExtentRestoredItem)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                       "The FSRFileExtentRestoredItem holds no text");
    const std::size_t length = std::strlen(record->pszFileExtentRestoredItem);
    if (length > UINT32_MAX)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER,
                                       "A FSRFileExtentRestoredItem of [%zu] bytes is longer than XDR carries", length);
    try
    {
        bytes.assign(LengthBytes + Padded(length), '\0');
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    for (std::size_t i = 0; i < LengthBytes; ++i)
        bytes[i] = static_cast<char>((length >> (8 * (LengthBytes - 1 - i))) & 0xFF);
    std::memcpy(&bytes[LengthBytes], record->pszFileExtentRestoredItem, length);
    return CZuError::Success();
}

CZuError CFileExtentMessageWire::DecodeXdr(const std::string& bytes, std::string& text)
{
    if (bytes.size() < LengthBytes)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA,
                                       "Truncated XDR: [%zu] bytes, no string length", bytes.size());
    std::uint64_t length = 0;
    for (std::size_t i = 0; i < LengthBytes; ++i)
        length = (length << 8) | static_cast<unsigned char>(bytes[i]);
    const std::size_t body = bytes.size() - LengthBytes;
    if (length > body)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA,
                                       "Truncated XDR: a string of [%llu] bytes in [%zu]",
                                       static_cast<unsigned long long>(length), body);
    if (Padded(static_cast<std::size_t>(length)) != body)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA,
                                       "XDR of [%zu] bytes holds more than one string of [%llu]", bytes.size(),
                                       static_cast<unsigned long long>(length));
    if (bytes.find_first_not_of('\0', LengthBytes + length) != std::string::npos)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA, "XDR padding is not zero");
    if (bytes.find('\0', LengthBytes) < LengthBytes + length)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA,
                                       "The XDR string holds a NUL: the record's text ends at its first");
    try
    {
        text.assign(bytes, LengthBytes, static_cast<std::size_t>(length));
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    return CZuError::Success();
}

void CFileExtentMessageWire::EncodeXml(const CNMessageBase& message, std::string& text)
{
    message.serialize(text, false);
}
} // namespace FILEEXTENT_RESTORE
