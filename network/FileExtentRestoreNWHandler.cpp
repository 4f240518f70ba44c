#include "network/FileExtentRestoreNWHandler.h"

#include "foundation/Log.h"
#include "network/FSRFileExtentRestoredItem.h"
#include "network/FileExtentRestoredItem.h"
#include "network/FileExtentRestoredItemList.h"
#include "platform/KtLib/bstring.h"
#include "platform/KtLib/ktsDatabuf.h"
#include "platform/ZuUtils/FXErrorUtil.h"

#include <boost/dynamic_bitset.hpp>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace FILEEXTENT_RESTORE
{
namespace
{
const unsigned long RestoredItemFieldTag = 0x775BCECF;
const unsigned long RestoredItemListFieldTag = 0x774DF40D;
const unsigned int RestoredItemListFieldId = 0x00F958CF;
const unsigned long FSRFileExtentRestoredItemMsgNumber = 0x180000A1;
const char* const SendFailedMessage = "Failed to send FSRFileExtentRestoredItem Msg to FIR";

std::string BitmapText(const boost::dynamic_bitset<unsigned char>& bitmap)
{
    std::string text;
    boost::to_string(bitmap, text); // highest bit first, bit 0 last
    return text;
}

// The collector's field table: every field is (first, second, value, tag, id); the key always
// travels, record members only when they hold a value. Unsigned 32-bit values widen without sign.
DistributedPex::FileExtentRestoredItem MakeRestoredItemMessage(const CRestoringItemAndVersion& key,
                                                               const CRestoredItem& item)
{
    const unsigned long tag = RestoredItemFieldTag;
    DistributedPex::FileExtentRestoredItem message;
    message.setstring(1, 1, key.FilePath, tag, 0x0026AFC1);
    message.setint64(11, 23, static_cast<long long>(key.Version), tag, 0x005D8A46);
    if (item.RestoredFilePath)
        message.setstring(2, 5, *item.RestoredFilePath, tag, 0x001A9D77);
    if (item.ErrorCode)
        message.setint64(3, 9, static_cast<long long>(*item.ErrorCode), tag, 0x009CB015);
    if (item.Status)
        message.setint64(4, 10, static_cast<long long>(*item.Status), tag, 0x00CDCFF2);
    if (item.ContainerItemRestored)
        message.setint64(5, 11, *item.ContainerItemRestored ? 1 : 0, tag, 0x002582EA);
    if (item.PostProcessAction)
        message.setstring(6, 12, *item.PostProcessAction, tag, 0x006654C5);
    if (item.TaskId)
        message.setint64(10, 22, static_cast<long long>(*item.TaskId), tag, 0x007EF180);
    if (item.NumOfExtents)
        message.setint64(7, 16, static_cast<long long>(*item.NumOfExtents), tag, 0x005BCBCC);
    if (item.ExtentBitmap)
        message.setbstringobject(8, 17, bstring(BitmapText(*item.ExtentBitmap)), tag, 0x004314F9);
    if (item.Metadata)
        message.setstring(9, 18, *item.Metadata, tag, 0x002D7B2F);
    return message;
}

// A missing callback, or one that throws, has not handed the message over: both count as 0,
// so no exception from the host's transport passes through the library.
template <class Callback, class... Args>
int Invoke(const Callback& callback, Args&&... args) noexcept
{
    if (!callback)
        return 0;
    try
    {
        return callback(std::forward<Args>(args)...);
    }
    catch (...)
    {
        return 0;
    }
}
} // namespace

CFileExtentRestoreNWHandler::CFileExtentRestoreNWHandler(FN_SendXDRMsgToFIR fnSendXDRMsgToFIR,
                                                         FN_SendXMLMsgToFIR fnSendXMLMsgToFIR)
    : fnSendXDRMsgToFIR(std::move(fnSendXDRMsgToFIR)), fnSendXMLMsgToFIR(std::move(fnSendXMLMsgToFIR))
{
}

CZuError CFileExtentRestoreNWHandler::AddorUpdate(const CRestoringItemAndVersion& key, const CRestoredItem& item)
{
    try
    {
        std::string xml;
        MakeRestoredItemMessage(key, item).serialize(xml, false);
        return SendXDR(xml);
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
}

CZuError CFileExtentRestoreNWHandler::AddorUpdate(
    const std::vector<std::tuple<CRestoringItemAndVersion, CRestoredItem>>& items)
{
    try
    {
        std::vector<CNMessageBase> messages;
        messages.reserve(items.size());
        for (const std::tuple<CRestoringItemAndVersion, CRestoredItem>& entry : items)
            messages.push_back(MakeRestoredItemMessage(std::get<0>(entry), std::get<1>(entry)));

        DistributedPex::FileExtentRestoredItemList list;
        list.setlistobject(1, 1, &messages, RestoredItemListFieldTag, RestoredItemListFieldId);
        if (FXLog::IsEnabled(3))
            FX_LOG(3, "Sending [%zu] XML Messages in batch", messages.size());
        return SendXML(list);
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
}

CZuError CFileExtentRestoreNWHandler::Get(const CRestoringItemAndVersion&, CRestoredItem&)
{
    return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED);
}

CZuError CFileExtentRestoreNWHandler::Delete(const CRestoringItemAndVersion&)
{
    return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED);
}

// The XDR record points at a heap copy of the text, which lives exactly as long as the call.
CZuError CFileExtentRestoreNWHandler::SendXDR(const std::string& xml)
{
    FSRFileExtentRestoredItem record;
    record.pszFileExtentRestoredItem = strdup(xml.c_str());
    if (!record.pszFileExtentRestoredItem)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);

    ktsDatabuf descriptor;
    descriptor.reserved1 = 0;
    descriptor.size = sizeof(record);
    descriptor.reserved2 = 0;
    descriptor.address = reinterpret_cast<std::uintptr_t>(&record);

    const int sent = Invoke(fnSendXDRMsgToFIR, FSRFileExtentRestoredItemMsgNumber, &descriptor);
    free(record.pszFileExtentRestoredItem);
    if (sent == 0)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NETWORK_UNREACHABLE, "%s", SendFailedMessage);
    return CZuError::Success();
}

CZuError CFileExtentRestoreNWHandler::SendXML(CNMessageBase& message)
{
    if (Invoke(fnSendXMLMsgToFIR, message) == 0)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NETWORK_UNREACHABLE, "%s", SendFailedMessage);
    return CZuError::Success();
}
} // namespace FILEEXTENT_RESTORE
