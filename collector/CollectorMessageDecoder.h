#pragma once

#include "collector/CollectorMessage.h"
#include "platform/KtXMLMessagesBase/KtXMLMessagesBase.h"
#include "platform/ZuUtils/ZuError.h"
#include "restore/records/RestoredItem.h"

#include <vector>

namespace FILEEXTENT_COLLECTOR
{
// Turns what a reporter sent back into the records it was made from: one XDR record, or an XML
// list of them. Nothing of a message is kept unless all of it decodes: every failure is
// ERROR_INVALID_DATA with a message that says what is wrong (ERROR_NOT_SUPPORTED for a message
// number or XML message it does not know), so the message can be set aside with that reason.
class CCollectorMessageDecoder
{
public:
    static CZuError Decode(const CCollectorMessage& message, std::vector<FILEEXTENT_RESTORE::CRestoredItem>& records);

    // One FileExtentRestoredItem message's fields as a record. A record's bitmap must have as many
    // bits as its extent count says.
    static CZuError DecodeRestoredItem(const CNMessageBase& message, FILEEXTENT_RESTORE::CRestoredItem& item);

private:
    static CZuError CheckSender(const CCollectorMessage& message);
    static CZuError DecodeXdr(const CCollectorMessage& message, std::vector<FILEEXTENT_RESTORE::CRestoredItem>& records);
    static CZuError DecodeXml(const CCollectorMessage& message, std::vector<FILEEXTENT_RESTORE::CRestoredItem>& records);
    static CZuError CheckRecord(const FILEEXTENT_RESTORE::CRestoredItem& item);
};
} // namespace FILEEXTENT_COLLECTOR
