#include "collector/CollectorMessageDecoder.h"
#include "fuzz/FuzzCheck.h"
#include "network/FileExtentMessageWire.h"
#include "network/FileExtentRestoreNWHandler.h"

#include <tuple>
#include <vector>

using FILEEXTENT_COLLECTOR::CCollectorMessage;
using FILEEXTENT_COLLECTOR::CCollectorMessageDecoder;
using FILEEXTENT_RESTORE::CFileExtentMessageWire;
using FILEEXTENT_RESTORE::CRestoredItem;

namespace
{
auto Fields(const CRestoredItem& item)
{
    return std::tie(item.FilePath, item.RestoredItemVersion, item.RestoredFilePath, item.ErrorCode, item.Status,
                    item.ContainerItemRestored, item.PostProcessAction, item.NumOfExtents, item.ExtentBitmap,
                    item.Metadata, item.TaskId);
}

// The records sent again as the reporter sends them: one as XDR, several as an XML list.
CCollectorMessage Resent(const std::vector<CRestoredItem>& records, CCollectorMessage::Kind kind)
{
    CCollectorMessage message;
    message.AgentId = "agent";
    message.Incarnation = 1;
    message.Sequence = 1;
    message.MessageKind = kind;
    FILEEXTENT_RESTORE::CFileExtentRestoreNWHandler reporter(
        [&message](unsigned long number, ktsDatabuf* buffer) {
            message.MessageNumber = number;
            return CFileExtentMessageWire::EncodeXdr(buffer, message.Payload).IsError() ? 0 : 1;
        },
        [&message](CNMessageBase& list) {
            CFileExtentMessageWire::EncodeXml(list, message.Payload);
            return 1;
        });
    CZuError sent;
    if (kind == CCollectorMessage::Xdr)
        sent = reporter.AddorUpdate(CRestoringItemAndVersion(records[0].FilePath, records[0].RestoredItemVersion),
                                    records[0]);
    else
    {
        std::vector<std::tuple<CRestoringItemAndVersion, CRestoredItem>> batch;
        for (const CRestoredItem& record : records)
            batch.emplace_back(CRestoringItemAndVersion(record.FilePath, record.RestoredItemVersion), record);
        sent = reporter.AddorUpdate(batch);
    }
    FuzzCheck::Require(!sent.IsError(), "a decoded record could not be sent again");
    return message;
}
} // namespace

// Any payload, as an XDR record (first byte even) or an XML list (odd), either decodes into records
// that the reporter sends again as a message that decodes to the same records, or is refused with
// no record kept; never a crash or an overread.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    CCollectorMessage message;
    message.AgentId = "agent";
    message.Incarnation = 1;
    message.Sequence = 1;
    message.MessageKind = data[0] % 2 == 0 ? CCollectorMessage::Xdr : CCollectorMessage::Xml;
    message.MessageNumber = CFileExtentMessageWire::RestoredItemXDRMessageNumber;
    message.Payload = FuzzCheck::Bytes(data + 1, size - 1);

    std::vector<CRestoredItem> records;
    if (CCollectorMessageDecoder::Decode(message, records).IsError())
    {
        FuzzCheck::Require(records.empty(), "a refused message kept records");
        return 0;
    }
    if (records.empty())
        return 0;
    std::vector<CRestoredItem> again;
    FuzzCheck::Require(!CCollectorMessageDecoder::Decode(Resent(records, message.MessageKind), again).IsError(),
                       "records sent again were refused");
    FuzzCheck::Require(again.size() == records.size(), "records sent again came back fewer or more");
    for (std::size_t i = 0; i < records.size(); ++i)
        FuzzCheck::Require(Fields(again[i]) == Fields(records[i]), "a record came back changed");
    return 0;
}
