#include "crash/RecallCrashPlan.h"

#include "foundation/ErrorPropagation.h"
#include "recall/FileExtentRecallDBManager.h"

#include <boost/make_shared.hpp>

#include <algorithm>

using namespace FILEEXTENTRECALLDB;

namespace
{
enum Column
{
    RestoredFilePath,
    ErrorCode,
    StatusColumn,
    ContainerItemRestored,
    NumOfExtents,
    ExtentBitmap,
    StubData,
    AttributesColumn,
};

const std::uint32_t kRecallFailure = 1117;
} // namespace

RecallCrashPlan::RecallCrashPlan(std::uint64_t seed)
{
    std::mt19937_64 random(seed);
    const std::size_t files = std::uniform_int_distribution<std::size_t>(16, 40)(random);
    for (std::size_t index = 0; index < files; ++index)
        AddRecalledFile(random, index);
    Interleave(random, std::uniform_int_distribution<std::size_t>(2, 6)(random),
               std::uniform_int_distribution<std::size_t>(4, 24)(random));
}

void RecallCrashPlan::AddRecalledFile(std::mt19937_64& random, std::size_t index)
{
    File file;
    file.path = "/recall/file" + std::to_string(index) + ".dat";
    // Fewer than 64 extents: the extent events alone never write.
    file.extents = std::uniform_int_distribution<std::uint64_t>(0, 40)(random);
    file.stub = "stub-" + std::to_string(index) + "-" + std::to_string(random());
    file.attributes[0] = static_cast<std::uint32_t>(random());
    file.attributes[1] = file.attributes[0] ^ 0x20u;
    const int outcome = std::uniform_int_distribution<int>(0, 3)(random);
    file.status = outcome <= 1 ? SUCCESS : outcome == 2 ? FAILED : PROGRESSING;
    file.errCode = file.status == FAILED ? kRecallFailure : 0;

    std::vector<Step> middle{Step{Attributes, 0}};
    for (std::uint64_t extent = 0; extent < file.extents; ++extent)
        middle.push_back(Step{Extent, extent});
    std::shuffle(middle.begin(), middle.end(), random);
    if (file.status != SUCCESS && file.extents > 0)
        middle.erase(std::find_if(middle.begin(), middle.end(), [](const Step& step) { return step.kind == Extent; }));
    file.steps.push_back(Step{FileRecall, 0});
    file.steps.push_back(Step{Container, 0});
    file.steps.insert(file.steps.end(), middle.begin(), middle.end());
    if (file.status != PROGRESSING)
        file.steps.push_back(Step{Status, 0});

    const std::size_t id = AddFile(file.path);
    Row row{file.path + ".restored", "0", "3", "0", std::to_string(file.extents), std::string(file.extents, '0'),
            file.stub, std::to_string(file.attributes[0])};
    for (const Step& step : file.steps)
    {
        if (step.kind == Container)
            row[ContainerItemRestored] = "1";
        else if (step.kind == Extent)
            row[ExtentBitmap][row[ExtentBitmap].size() - 1 - step.extent] = '1';
        else if (step.kind == Attributes)
            row[AttributesColumn] = std::to_string(file.attributes[1]);
        else if (step.kind == Status)
        {
            row[StatusColumn] = std::to_string(file.status);
            row[ErrorCode] = std::to_string(file.errCode);
        }
        AddImage(id, row);
    }
    m_files.push_back(file);
}

std::string RecallCrashPlan::RowsSql() const
{
    return "SELECT FilePath, RestoredFilePath, ErrorCode, Status, ContainerItemRestored, NumOfExtents, ExtentBitmap, "
           "json_extract(Metadata, '$.StubData'), json_extract(Metadata, '$.Attributes') FROM RecalledItems;";
}

CZuError RecallCrashPlan::Apply(CFileExtentRecallDBManager& manager, const File& file, const Step& step) const
{
    switch (step.kind)
    {
    case FileRecall:
    {
        CFileRecallItemPtr item = boost::make_shared<CFileRecallItem>();
        item->RestoredFilePath = file.path + ".restored";
        item->NoOfExtents = file.extents;
        item->Metadata.StubData = file.stub;
        item->Metadata.Attributes = file.attributes[0];
        return manager.OnFileRecallItem(file.path, item);
    }
    case Container:
    {
        CFileExtentRecallContainerItemPtr item = boost::make_shared<CFileExtentRecallContainerItem>();
        item->ContainerItemRestored = true;
        return manager.OnContainerItem(file.path, item);
    }
    case Extent:
    {
        CFileExtentRecallExtentItemPtr item = boost::make_shared<CFileExtentRecallExtentItem>();
        item->ExtentNumber = step.extent;
        item->Stats.InPipeline = CTimeInterval::From100NS(static_cast<std::int64_t>(step.extent) + 1);
        return manager.OnExtentItem(file.path, item);
    }
    case Attributes:
        return manager.UpdateAttributes(file.path, file.attributes[1]);
    case Status:
    {
        CFileExtentRecallStatusPtr status = boost::make_shared<CFileExtentRecallStatus>();
        status->Status = static_cast<RecallStatus>(file.status);
        status->ErrCode = file.errCode;
        return manager.UpdateStatus(file.path, status);
    }
    }
    return CZuError::Success();
}

std::vector<bool> RecallCrashPlan::EndedRecalls(CFileExtentRecallDBManager& manager) const
{
    std::vector<bool> ended(FileCount(), false);
    for (std::size_t file = 0; file < FileCount(); ++file)
    {
        CFileExtentRecallFileReportPtr report;
        if (!manager.GetRecalledFileReport(m_files[file].path, report).IsError() && report)
            ended[file] = report->Status.Status == SUCCESS || report->Status.Status == FAILED;
    }
    return ended;
}

CZuError RecallCrashPlan::Run(const std::string& directory, std::size_t mark, Hooks& hooks) const
{
    CFileExtentRecallDBManager manager;
    FX_RETURN_IF_ERROR(manager.Initialize(directory));
    const std::vector<bool> ended = EndedRecalls(manager);
    auto apply = [&](const Event& event) {
        if (ended[event.file])
            return CZuError::Success();
        const File& file = m_files[event.file];
        return Apply(manager, file, file.steps[event.ordinal]);
    };
    CZuError error = RunEvents(mark, hooks, apply, [&] { return manager.Flush(); });
    manager.DeInitialize();
    FX_RETURN_PROPAGATED(error);
}

std::string RecallCrashPlan::CheckThroughFacade(const std::string& directory) const
{
    CFileExtentRecallDBManager manager;
    if (manager.Initialize(directory).IsError())
        return "the restarted manager does not initialise";
    std::string mismatch;
    std::size_t seen = 0;
    manager.GetAllRecalledFiles([&seen](boost::shared_ptr<CFileExtentRecallFileReport>) {
        ++seen;
        return CZuError::Success();
    });
    if (seen != FileCount())
        mismatch = "enumerated " + std::to_string(seen) + " recalls of " + std::to_string(FileCount());
    for (std::size_t file = 0; file < FileCount() && mismatch.empty(); ++file)
    {
        std::string stub;
        CFileExtentRecallFileReportPtr report;
        if (manager.GetRecalledFileMetaData(m_files[file].path, stub).IsError() || stub != m_files[file].stub)
            mismatch = "stub data of " + m_files[file].path + " reads [" + stub + "]";
        else if (manager.GetRecalledFileReport(m_files[file].path, report).IsError() ||
                 static_cast<int>(report->Status.Status) != m_files[file].status)
            mismatch = "report of " + m_files[file].path + " has another status";
    }
    manager.DeInitialize();
    return mismatch;
}
