#pragma once

#include "collector/FileExtentCollector.h"
#include "network/FileExtentNWCallbacks.h"
#include "platform/ZuUtils/ZuError.h"

#include <cstdint>
#include <mutex>
#include <string>

namespace FILEEXTENT_COLLECTOR
{
// A collector in the host's own process: the restore handler's two callbacks feed it as one
// agent, each message through the same bytes a transport would carry and in a transaction of its
// own. A message it cannot decode or store is refused (the callback returns 0), so the library
// keeps the records dirty; LastError() says why.
class CCollectorCallbacks
{
public:
    CCollectorCallbacks(CFileExtentCollector& collector, const std::string& agentId);

    FN_SendXDRMsgToFIR XDRCallback();
    FN_SendXMLMsgToFIR XMLCallback();

    int OnXDRMessage(unsigned long messageNumber, const ktsDatabuf* buffer);
    int OnXMLMessage(const CNMessageBase& message);

    std::uint64_t XDRMessages() const;
    std::uint64_t XMLMessages() const;
    CZuError LastError() const;

private:
    CZuError ReceiveXDR(unsigned long messageNumber, const ktsDatabuf* buffer);
    CZuError ReceiveXML(const CNMessageBase& message);
    CZuError Deliver(CCollectorMessage& message);
    int Answer(const CZuError& error);

    CFileExtentCollector& m_collector;
    const std::string m_agentId;
    mutable std::mutex m_mutex;
    // Guarded by m_mutex.
    std::uint64_t m_sequence = 0;
    std::uint64_t m_xdrMessages = 0;
    std::uint64_t m_xmlMessages = 0;
    CZuError m_lastError;
};
} // namespace FILEEXTENT_COLLECTOR
