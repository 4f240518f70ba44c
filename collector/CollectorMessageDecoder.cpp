#include "collector/CollectorMessageDecoder.h"

#include "foundation/ErrorPropagation.h"
#include "network/FileExtentMessageWire.h"
#include "network/FileExtentRestoredItem.h"
#include "network/FileExtentRestoredItemList.h"
#include "platform/ZuUtils/FXErrorUtil.h"

#include <new>

using FILEEXTENT_RESTORE::CFileExtentMessageWire;
using FILEEXTENT_RESTORE::CRestoredItem;
using FILEEXTENT_RESTORE::RestoreStatus;

namespace FILEEXTENT_COLLECTOR
{
namespace
{
bool Is(const CNMessageField& field, short first, short second)
{
    return field.first == first && field.second == second;
}

// The wire carries the bitmap as '0'/'1' characters, highest bit first.
bool BitmapFromText(const std::string& text, boost::dynamic_bitset<unsigned char>& bitmap)
{
    if (text.find_first_not_of("01") != std::string::npos)
        return false;
    bitmap = boost::dynamic_bitset<unsigned char>(text);
    return true;
}

bool StatusFromNumber(long long number, RestoreStatus& status)
{
    if (number < FILEEXTENT_RESTORE::SUCCESS || number > FILEEXTENT_RESTORE::PROGRESSING)
        return false;
    status = static_cast<RestoreStatus>(number);
    return true;
}

bool FitsUnsigned32(long long number)
{
    return number >= 0 && number <= static_cast<long long>(UINT32_MAX);
}

bool FitsSigned32(long long number)
{
    return number >= INT32_MIN && number <= INT32_MAX;
}

CZuError Malformed(const FXCodeLocation& location, const char* what)
{
    return FXErrorUtil::ErrorWin32(location, ERROR_INVALID_DATA, "Malformed FileExtentRestoredItem: %s", what);
}

// One field into its member; a field a record does not carry, or a value out of its range, is refused.
CZuError DecodeField(const CNMessageField& field, CRestoredItem& item, bool& hasPath, bool& hasVersion)
{
    const bool text = field.kind == CNMessageField::String;
    const bool number = field.kind == CNMessageField::Int64;
    if (Is(field, 1, 1) && text)
    {
        item.FilePath = field.text;
        hasPath = true;
    }
    else if (Is(field, 11, 23) && number && FitsUnsigned32(field.number))
    {
        item.RestoredItemVersion = static_cast<std::uint32_t>(field.number);
        hasVersion = true;
    }
    else if (Is(field, 2, 5) && text)
        item.RestoredFilePath = field.text;
    else if (Is(field, 3, 9) && number && FitsUnsigned32(field.number))
        item.ErrorCode = static_cast<std::uint32_t>(field.number);
    else if (Is(field, 4, 10) && number)
    {
        RestoreStatus status;
        if (!StatusFromNumber(field.number, status))
            return Malformed(FX_CODE_LOCATION, "status out of range");
        item.Status = status;
    }
    else if (Is(field, 5, 11) && number && (field.number == 0 || field.number == 1))
        item.ContainerItemRestored = field.number != 0;
    else if (Is(field, 6, 12) && text)
        item.PostProcessAction = field.text;
    else if (Is(field, 10, 22) && number && FitsSigned32(field.number))
        item.TaskId = static_cast<std::int32_t>(field.number);
    else if (Is(field, 7, 16) && number && field.number >= 0)
        item.NumOfExtents = static_cast<std::int64_t>(field.number);
    else if (Is(field, 8, 17) && field.kind == CNMessageField::BString)
    {
        boost::dynamic_bitset<unsigned char> bitmap;
        if (!BitmapFromText(field.text, bitmap))
            return Malformed(FX_CODE_LOCATION, "extent bitmap is not a text of 0 and 1");
        item.ExtentBitmap = std::move(bitmap);
    }
    else if (Is(field, 9, 18) && text)
        item.Metadata = field.text;
    else
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA,
                                       "Malformed FileExtentRestoredItem: field (%d, %d) is unknown or out of range",
                                       field.first, field.second);
    return CZuError::Success();
}
} // namespace

CZuError CCollectorMessageDecoder::Decode(const CCollectorMessage& message, std::vector<CRestoredItem>& records)
{
    records.clear();
    FX_RETURN_IF_ERROR(CheckSender(message));
    CZuError error;
    try
    {
        error = message.MessageKind == CCollectorMessage::Xdr ? DecodeXdr(message, records)
                                                               : DecodeXml(message, records);
    }
    catch (const std::bad_alloc&)
    {
        error = FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    if (error.IsError())
        records.clear();
    FX_RETURN_PROPAGATED(error);
}

CZuError CCollectorMessageDecoder::CheckSender(const CCollectorMessage& message)
{
    if (message.AgentId.empty())
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA, "The message names no agent");
    if (message.Incarnation == 0 || message.Sequence == 0)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA,
                                       "The message of agent [%s] has no run or sequence number",
                                       message.AgentId.c_str());
    // Orders are compared in SQLite's signed 64-bit integers.
    if (message.Incarnation > INT64_MAX || message.Sequence > INT64_MAX)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA,
                                       "The message of agent [%s] has a run or sequence number beyond 2^63",
                                       message.AgentId.c_str());
    return CZuError::Success();
}

CZuError CCollectorMessageDecoder::DecodeXdr(const CCollectorMessage& message, std::vector<CRestoredItem>& records)
{
    if (message.MessageNumber != CFileExtentMessageWire::RestoredItemXDRMessageNumber)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED, "Unknown XDR message number 0x%lX",
                                       message.MessageNumber);
    std::string text;
    FX_RETURN_IF_ERROR(CFileExtentMessageWire::DecodeXdr(message.Payload, text));
    CNMessageBase item(0, 0);
    if (!item.deserialize(text))
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA,
                                       "The XDR record's text is not a message");
    records.emplace_back();
    FX_RETURN_PROPAGATED(DecodeRestoredItem(item, records.back()));
}

CZuError CCollectorMessageDecoder::DecodeXml(const CCollectorMessage& message, std::vector<CRestoredItem>& records)
{
    CNMessageBase list(0, 0);
    if (!list.deserialize(message.Payload))
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA, "The XML message does not parse");
    if (list.GetGroup() != DistributedPex::FileExtentRestoredItemList::Group ||
        list.GetType() != DistributedPex::FileExtentRestoredItemList::Type)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED, "Unknown XML message (%d, %d)",
                                       list.GetGroup(), list.GetType());
    const std::vector<CNMessageField>& fields = list.GetFields();
    if (fields.size() != 1 || fields[0].kind != CNMessageField::List || !Is(fields[0], 1, 1))
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA,
                                       "A FileExtentRestoredItemList holds one list field (1, 1)");
    records.reserve(fields[0].list.size());
    for (const CNMessageBase& item : fields[0].list)
    {
        records.emplace_back();
        FX_RETURN_IF_ERROR(DecodeRestoredItem(item, records.back()));
    }
    return CZuError::Success();
}

CZuError CCollectorMessageDecoder::DecodeRestoredItem(const CNMessageBase& message, CRestoredItem& item)
{
    if (message.GetGroup() != DistributedPex::FileExtentRestoredItem::Group ||
        message.GetType() != DistributedPex::FileExtentRestoredItem::Type)
        return Malformed(FX_CODE_LOCATION, "not a FileExtentRestoredItem");
    item = CRestoredItem();
    bool hasPath = false;
    bool hasVersion = false;
    for (const CNMessageField& field : message.GetFields())
        FX_RETURN_IF_ERROR(DecodeField(field, item, hasPath, hasVersion));
    if (!hasPath || !hasVersion)
        return Malformed(FX_CODE_LOCATION, "no key");
    FX_RETURN_PROPAGATED(CheckRecord(item));
}

// What the table could not hold, or a restore could not have sent.
CZuError CCollectorMessageDecoder::CheckRecord(const CRestoredItem& item)
{
    if (item.FilePath.empty() || item.FilePath.find('\0') != std::string::npos)
        return Malformed(FX_CODE_LOCATION, "the path is empty or holds a NUL");
    if (item.ExtentBitmap && item.NumOfExtents &&
        static_cast<std::uint64_t>(item.ExtentBitmap->size()) != static_cast<std::uint64_t>(*item.NumOfExtents))
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_DATA,
                                       "Malformed FileExtentRestoredItem: [%s] has a bitmap of [%zu] bits for [%lld] "
                                       "extents",
                                       item.FilePath.c_str(), item.ExtentBitmap->size(),
                                       static_cast<long long>(*item.NumOfExtents));
    return CZuError::Success();
}
} // namespace FILEEXTENT_COLLECTOR
