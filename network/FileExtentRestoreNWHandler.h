#pragma once

#include "network/FileExtentNWCallbacks.h"
#include "platform/ZuUtils/ZuError.h"
#include "restore/records/RestoredItem.h"
#include "restore/records/RestoringItemAndVersion.h"

#include <string>
#include <tuple>
#include <vector>

namespace FILEEXTENT_RESTORE
{
// Sends restored-item records to the remote collector of a distributed restore through the
// host's callbacks: one record as an XDR message, a batch as one XML list message.
// It keeps no record, so it cannot read or delete one. No lock: the writer cache serialises calls.
class CFileExtentRestoreNWHandler
{
public:
    CFileExtentRestoreNWHandler(FN_SendXDRMsgToFIR fnSendXDRMsgToFIR, FN_SendXMLMsgToFIR fnSendXMLMsgToFIR);

    CZuError AddorUpdate(const CRestoringItemAndVersion& key, const CRestoredItem& item);
    CZuError AddorUpdate(const std::vector<std::tuple<CRestoringItemAndVersion, CRestoredItem>>& items);
    // ERROR_NOT_SUPPORTED; the record is left untouched.
    CZuError Get(const CRestoringItemAndVersion& key, CRestoredItem& item);
    // ERROR_NOT_SUPPORTED.
    CZuError Delete(const CRestoringItemAndVersion& key);

private:
    CZuError SendXDR(const std::string& xml);
    CZuError SendXML(CNMessageBase& message);

    FN_SendXDRMsgToFIR fnSendXDRMsgToFIR;
    FN_SendXMLMsgToFIR fnSendXMLMsgToFIR;
};
} // namespace FILEEXTENT_RESTORE
