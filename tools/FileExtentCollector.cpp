#include "FileExtentCollector.h"

#include "network/FSRFileExtentRestoredItem.h"
#include "network/FileExtentRestoredItem.h"
#include "network/FileExtentRestoredItemList.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "store/FileExtentRestoreDB.h"
#include "store/FileExtentRestoreDBHandler.h"

#include <boost/make_shared.hpp>

#include <new>

using FILEEXTENT_RESTORE::CRestoredItem;
using FILEEXTENT_RESTORE::RestoreStatus;

namespace
{
const unsigned long RestoredItemXDRMessageNumber = 0x180000A1;
const unsigned int CollectorDBVersion = 1;

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

CZuError Malformed(const FXCodeLocation& location, const char* what)
{
    return FXErrorUtil::ErrorWin32(location, ERROR_INVALID_PARAMETER, "Malformed FileExtentRestoredItem: %s", what);
}
} // namespace

const char* const CFileExtentCollector::DBName = "FileExtentCollector.db";

CFileExtentCollector::CFileExtentCollector(const std::string& directory) : m_directory(directory)
{
}

CFileExtentCollector::~CFileExtentCollector()
{
    Close();
}

std::string CFileExtentCollector::DBPath() const
{
    return m_db ? m_db->GetDBPath() : std::string();
}

CZuError CFileExtentCollector::Open()
{
    try
    {
        m_db = boost::make_shared<FILEEXTENT_RESTORE::CFileExtentRestoreDB>(m_directory, DBName, CollectorDBVersion);
        CZuError error = m_db->OpenDB();
        if (error.IsError())
            return error.Push(FX_CODE_LOCATION);
        m_table = boost::make_shared<FILEEXTENT_RESTORE::CFileExtentRestoreDBHandler>(*m_db);
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    }
    CZuError error = m_table->CreateTable();
    if (error.IsError())
        return error.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

void CFileExtentCollector::Close()
{
    if (m_table)
        m_table->CloseTable();
    m_table.reset();
    if (m_db)
        m_db->CloseDB();
    m_db.reset();
}

FN_SendXDRMsgToFIR CFileExtentCollector::XDRCallback()
{
    return [this](unsigned long messageNumber, ktsDatabuf* buffer) { return OnXDRMessage(messageNumber, buffer); };
}

FN_SendXMLMsgToFIR CFileExtentCollector::XMLCallback()
{
    return [this](CNMessageBase& message) { return OnXMLMessage(message); };
}

int CFileExtentCollector::Answer(const CZuError& error)
{
    if (!error.IsError())
        return 1;
    m_lastError = error;
    return 0;
}

int CFileExtentCollector::OnXDRMessage(unsigned long messageNumber, ktsDatabuf* buffer)
{
    ++m_xdrMessages;
    return Answer(ReceiveXDR(messageNumber, buffer));
}

int CFileExtentCollector::OnXMLMessage(CNMessageBase& message)
{
    ++m_xmlMessages;
    return Answer(ReceiveXML(message));
}

CZuError CFileExtentCollector::ReceiveXDR(unsigned long messageNumber, const ktsDatabuf* buffer)
{
    if (messageNumber != RestoredItemXDRMessageNumber)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED, "Unknown XDR message number 0x%lX",
                                       messageNumber);
    if (!buffer || buffer->size != sizeof(FSRFileExtentRestoredItem) || buffer->address == 0)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER, "Malformed XDR descriptor");
    const FSRFileExtentRestoredItem* record = reinterpret_cast<const FSRFileExtentRestoredItem*>(buffer->address);
    if (!record->pszFileExtentRestoredItem)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER, "XDR record without text");

    CNMessageBase message(0, 0);
    if (!message.deserialize(record->pszFileExtentRestoredItem))
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_PARAMETER, "XDR record holds no message");
    CZuError error = StoreRestoredItem(message);
    if (error.IsError())
        return error.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentCollector::ReceiveXML(const CNMessageBase& message)
{
    if (message.GetGroup() != DistributedPex::FileExtentRestoredItemList::Group ||
        message.GetType() != DistributedPex::FileExtentRestoredItemList::Type)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_SUPPORTED, "Unknown XML message (%d, %d)",
                                       message.GetGroup(), message.GetType());
    for (const CNMessageField& field : message.GetFields())
    {
        if (field.kind != CNMessageField::List || !Is(field, 1, 1))
            continue;
        for (const CNMessageBase& item : field.list)
        {
            CZuError error = StoreRestoredItem(item);
            if (error.IsError())
                return error.Push(FX_CODE_LOCATION);
        }
    }
    return CZuError::Success();
}

CZuError CFileExtentCollector::StoreRestoredItem(const CNMessageBase& message)
{
    CRestoredItem item;
    CZuError error = DecodeRestoredItem(message, item);
    if (error.IsError())
        return error.Push(FX_CODE_LOCATION);
    if (!m_table)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_STATE, "The collector is not open");
    error = m_table->AddorUpdate(item.FilePath, item.RestoredItemVersion, item);
    if (error.IsError())
        return error.Push(FX_CODE_LOCATION);
    ++m_records;
    return CZuError::Success();
}

CZuError CFileExtentCollector::DecodeRestoredItem(const CNMessageBase& message, CRestoredItem& item)
{
    if (message.GetGroup() != DistributedPex::FileExtentRestoredItem::Group ||
        message.GetType() != DistributedPex::FileExtentRestoredItem::Type)
        return Malformed(FX_CODE_LOCATION, "not a FileExtentRestoredItem");
    bool hasPath = false;
    bool hasVersion = false;
    for (const CNMessageField& field : message.GetFields())
    {
        const bool text = field.kind == CNMessageField::String;
        const bool number = field.kind == CNMessageField::Int64;
        if (Is(field, 1, 1) && text)
        {
            item.FilePath = field.text;
            hasPath = true;
        }
        else if (Is(field, 11, 23) && number)
        {
            item.RestoredItemVersion = static_cast<std::uint32_t>(field.number);
            hasVersion = true;
        }
        else if (Is(field, 2, 5) && text)
            item.RestoredFilePath = field.text;
        else if (Is(field, 3, 9) && number)
            item.ErrorCode = static_cast<std::uint32_t>(field.number);
        else if (Is(field, 4, 10) && number)
        {
            RestoreStatus status;
            if (!StatusFromNumber(field.number, status))
                return Malformed(FX_CODE_LOCATION, "status out of range");
            item.Status = status;
        }
        else if (Is(field, 5, 11) && number)
            item.ContainerItemRestored = field.number != 0;
        else if (Is(field, 6, 12) && text)
            item.PostProcessAction = field.text;
        else if (Is(field, 10, 22) && number)
            item.TaskId = static_cast<std::int32_t>(field.number);
        else if (Is(field, 7, 16) && number)
            item.NumOfExtents = static_cast<std::int64_t>(field.number);
        else if (Is(field, 8, 17) && field.kind == CNMessageField::BString)
        {
            boost::dynamic_bitset<unsigned char> bitmap;
            if (!BitmapFromText(field.text, bitmap))
                return Malformed(FX_CODE_LOCATION, "extent bitmap is not a text of 0 and 1");
            item.ExtentBitmap = bitmap;
        }
        else if (Is(field, 9, 18) && text)
            item.Metadata = field.text;
        else
            return Malformed(FX_CODE_LOCATION, "unknown field");
    }
    if (!hasPath || !hasVersion)
        return Malformed(FX_CODE_LOCATION, "no key");
    return CZuError::Success();
}

CZuError CFileExtentCollector::Enumerate(const std::function<CZuError(const CRestoredItem&)>& fn)
{
    if (!m_table)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_INVALID_STATE, "The collector is not open");
    CZuError error = m_table->GetAllRestoredItems(fn);
    if (error.IsError())
        return error.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}
