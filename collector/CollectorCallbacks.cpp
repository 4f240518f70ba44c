#include "collector/CollectorCallbacks.h"

#include "foundation/ErrorPropagation.h"
#include "network/FileExtentMessageWire.h"
#include "platform/ZuUtils/FXErrorUtil.h"

#include <new>

using FILEEXTENT_RESTORE::CFileExtentMessageWire;

namespace FILEEXTENT_COLLECTOR
{
CCollectorCallbacks::CCollectorCallbacks(CFileExtentCollector& collector, const std::string& agentId)
    : m_collector(collector), m_agentId(agentId)
{
}

FN_SendXDRMsgToFIR CCollectorCallbacks::XDRCallback()
{
    return [this](unsigned long messageNumber, ktsDatabuf* buffer) { return OnXDRMessage(messageNumber, buffer); };
}

FN_SendXMLMsgToFIR CCollectorCallbacks::XMLCallback()
{
    return [this](CNMessageBase& message) { return OnXMLMessage(message); };
}

int CCollectorCallbacks::OnXDRMessage(unsigned long messageNumber, const ktsDatabuf* buffer)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_xdrMessages;
    try
    {
        return Answer(ReceiveXDR(messageNumber, buffer));
    }
    catch (...)
    {
        return Answer(FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY));
    }
}

int CCollectorCallbacks::OnXMLMessage(const CNMessageBase& message)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_xmlMessages;
    try
    {
        return Answer(ReceiveXML(message));
    }
    catch (...)
    {
        return Answer(FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY));
    }
}

CZuError CCollectorCallbacks::ReceiveXDR(unsigned long messageNumber, const ktsDatabuf* buffer)
{
    CCollectorMessage message;
    message.MessageKind = CCollectorMessage::Xdr;
    message.MessageNumber = messageNumber;
    FX_RETURN_IF_ERROR(CFileExtentMessageWire::EncodeXdr(buffer, message.Payload));
    FX_RETURN_PROPAGATED(Deliver(message));
}

CZuError CCollectorCallbacks::ReceiveXML(const CNMessageBase& message)
{
    CCollectorMessage received;
    received.MessageKind = CCollectorMessage::Xml;
    CFileExtentMessageWire::EncodeXml(message, received.Payload);
    FX_RETURN_PROPAGATED(Deliver(received));
}

// Expects m_mutex held.
CZuError CCollectorCallbacks::Deliver(CCollectorMessage& message)
{
    message.AgentId = m_agentId;
    message.Incarnation = 1;
    message.Sequence = ++m_sequence;
    FX_RETURN_PROPAGATED(m_collector.Receive(message));
}

// Expects m_mutex held. Nothing may throw through the library's call.
int CCollectorCallbacks::Answer(const CZuError& error)
{
    if (!error.IsError())
        return 1;
    m_lastError = error;
    return 0;
}

std::uint64_t CCollectorCallbacks::XDRMessages() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_xdrMessages;
}

std::uint64_t CCollectorCallbacks::XMLMessages() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_xmlMessages;
}

CZuError CCollectorCallbacks::LastError() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastError;
}
} // namespace FILEEXTENT_COLLECTOR
