#pragma once

#include "network/FileExtentNWCallbacks.h"
#include "platform/ZuUtils/ZuError.h"
#include "restore/records/RestoredItem.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <functional>
#include <string>

namespace FILEEXTENT_RESTORE
{
class CFileExtentRestoreDB;
class CFileExtentRestoreDBHandler;
} // namespace FILEEXTENT_RESTORE

// The remote side of a distributed restore, in process: it takes the messages the library hands
// to the two callbacks, decodes them as a collector would (XDR descriptor -> record -> XML text ->
// message -> fields) and stores the records in FileExtentCollector.db with the library's own
// restore table. A message it cannot decode or store is refused (the callback returns 0), so the
// library reports the send as failed; the reason is kept in LastError().
class CFileExtentCollector
{
public:
    static const char* const DBName; // "FileExtentCollector.db"

    explicit CFileExtentCollector(const std::string& directory);
    ~CFileExtentCollector();

    CFileExtentCollector(const CFileExtentCollector&) = delete;
    CFileExtentCollector& operator=(const CFileExtentCollector&) = delete;

    CZuError Open();
    void Close();

    FN_SendXDRMsgToFIR XDRCallback();
    FN_SendXMLMsgToFIR XMLCallback();

    int OnXDRMessage(unsigned long messageNumber, ktsDatabuf* buffer);
    int OnXMLMessage(CNMessageBase& message);

    // Every record received so far, as stored.
    CZuError Enumerate(const std::function<CZuError(const FILEEXTENT_RESTORE::CRestoredItem&)>& fn);

    std::uint64_t XDRMessages() const { return m_xdrMessages; }
    std::uint64_t XMLMessages() const { return m_xmlMessages; }
    std::uint64_t RecordsReceived() const { return m_records; }
    const CZuError& LastError() const { return m_lastError; }
    std::string DBPath() const;

    // Turns one FileExtentRestoredItem message back into the record it was made from.
    static CZuError DecodeRestoredItem(const CNMessageBase& message, FILEEXTENT_RESTORE::CRestoredItem& item);

private:
    CZuError StoreRestoredItem(const CNMessageBase& message);
    CZuError ReceiveXDR(unsigned long messageNumber, const ktsDatabuf* buffer);
    CZuError ReceiveXML(const CNMessageBase& message);
    int Answer(const CZuError& error);

    std::string m_directory;
    boost::shared_ptr<FILEEXTENT_RESTORE::CFileExtentRestoreDB> m_db;
    boost::shared_ptr<FILEEXTENT_RESTORE::CFileExtentRestoreDBHandler> m_table;
    std::uint64_t m_xdrMessages = 0;
    std::uint64_t m_xmlMessages = 0;
    std::uint64_t m_records = 0;
    CZuError m_lastError;
};
