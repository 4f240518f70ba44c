#include "CollectorScenario.h"

#include "BenchDirectory.h"
#include "BenchPlan.h"
#include "LibraryCheck.h"
#include "RatioTable.h"
#include "RestoreWorkload.h"
#include "Rounds.h"
#include "Stopwatch.h"

#include "collector/CollectorMessageDecoder.h"
#include "collector/FileExtentCollector.h"
#include "network/FileExtentMessageWire.h"
#include "restore/FileExtentRestoreHandler.h"
#include "store/FileExtentRestoreDB.h"
#include "store/FileExtentRestoreDBHandler.h"

#include <boost/make_shared.hpp>

#include <stdexcept>
#include <vector>

using FILEEXTENT_COLLECTOR::CCollectorMessage;
using namespace FILEEXTENT_RESTORE;

namespace
{
const std::size_t kBatch = 500;

// What a distributed restore of the workload hands its XDR callback, as a collector receives it.
std::vector<CCollectorMessage> AgentMessages(const CRestoreWorkload& workload, const std::string& dir)
{
    std::vector<CCollectorMessage> messages;
    FN_SendXDRMsgToFIR xdr = [&messages](unsigned long number, ktsDatabuf* buffer) {
        CCollectorMessage message;
        message.AgentId = "agent-0";
        message.Incarnation = 1;
        message.Sequence = messages.size() + 1;
        message.MessageNumber = number;
        if (CFileExtentMessageWire::EncodeXdr(buffer, message.Payload).IsError())
            return 0;
        messages.push_back(std::move(message));
        return 1;
    };
    CFileExtentRestoreHandler handler;
    CheckLibrary(handler.Initialize(dir, true, xdr, nullptr, 0), "Initialize (distributed)");
    auto report = boost::make_shared<CFileExtentExtentItemRestoreReport>();
    report->SetRestoreStatus(SUCCESS);
    for (std::size_t file = 0; file < workload.Files(); ++file)
    {
        auto container = boost::make_shared<CFileExtentContainerItemRestoreReport>();
        container->SetRestoredFilePath(workload.RestoredPath(file));
        container->SetNoOfExtents(workload.Extents());
        container->SetTaskId(workload.TaskId(file));
        CheckLibrary(handler.OnContainerItem(workload.Path(file), 0, container), "OnContainerItem");
        for (std::size_t extent = 0; extent < workload.Extents(); ++extent)
        {
            report->SetExtentNumber(extent);
            CheckLibrary(handler.OnExtentItem(workload.Path(file), 0, report), "OnExtentItem");
        }
    }
    CheckLibrary(handler.DeInitialize(), "DeInitialize");
    return messages;
}

template <class Store>
double TimeBatches(const std::vector<CCollectorMessage>& messages, Store store)
{
    const CStopwatch watch;
    for (std::size_t first = 0; first < messages.size(); first += kBatch)
        store(std::vector<CCollectorMessage>(messages.begin() + first,
                                             messages.begin() + std::min(messages.size(), first + kBatch)));
    return watch.Seconds();
}

double TimeCollector(const std::vector<CCollectorMessage>& messages, const std::string& dir, std::size_t files)
{
    FILEEXTENT_COLLECTOR::CFileExtentCollector collector(dir);
    CheckLibrary(collector.Open(), "collector Open");
    const double seconds = TimeBatches(messages, [&collector](const std::vector<CCollectorMessage>& batch) {
        std::vector<FILEEXTENT_COLLECTOR::CCollectorRefusal> refused;
        CheckLibrary(collector.Receive(batch, refused), "collector Receive");
        if (!refused.empty())
            throw std::runtime_error("the collector refused a message");
    });
    ULONGLONG count = 0;
    CheckLibrary(collector.GetAllRestoredItemsCount(count), "collector count");
    if (count != files)
        throw std::runtime_error("the collector holds " + std::to_string(count) + " files");
    return seconds;
}

// The same records, each decoded and upserted into a restore table, one transaction per batch.
double TimePlainTable(const std::vector<CCollectorMessage>& messages, const std::string& dir)
{
    CFileExtentRestoreDB db(dir, "Plain.db", 1);
    CFileExtentRestoreDBHandler table(db);
    CheckLibrary(table.CreateTable(), "CreateTable");
    return TimeBatches(messages, [&table](const std::vector<CCollectorMessage>& batch) {
        CheckLibrary(table.BeginTransaction(), "BeginTransaction");
        std::vector<CRestoredItem> records;
        for (const CCollectorMessage& message : batch)
        {
            CheckLibrary(FILEEXTENT_COLLECTOR::CCollectorMessageDecoder::Decode(message, records), "Decode");
            for (const CRestoredItem& record : records)
                CheckLibrary(table.AddorUpdate(record.FilePath, record.RestoredItemVersion, record), "AddorUpdate");
        }
        CheckLibrary(table.CommitTransaction(), "CommitTransaction");
    });
}
} // namespace

void CCollectorScenario::Run(const CBenchPlan& plan, CRatioTable& table)
{
    const CRestoreWorkload workload(20000, 16);
    const CBenchDirectory dir;
    const std::vector<CCollectorMessage> messages = AgentMessages(workload, dir.NewSubdirectory("agent"));
    const double records = static_cast<double>(messages.size());
    CRounds rounds("6 collector in process, " + std::to_string(messages.size()) + " records of " + workload.Label());
    const std::size_t collector = rounds.Add("collector", [&] {
        return CRounds::Sample{TimeCollector(messages, dir.NewSubdirectory("collector"), workload.Files()), records};
    });
    const std::size_t plain = rounds.Add("plain table", [&] {
        return CRounds::Sample{TimePlainTable(messages, dir.NewSubdirectory("plain")), records};
    });
    rounds.RunRounds(plan.Rounds(5));
    table.Add({"6 collector, " + workload.Label() + ", block 0", CRatioTable::Micros(rounds.PerUnit(collector), "record"),
               "decode+upsert " + CRatioTable::Micros(rounds.PerUnit(plain), "record"), "collector/upsert",
               rounds.Ratio(collector, plain), CRatioTable::Target::None(), rounds.Rounds()});
}
