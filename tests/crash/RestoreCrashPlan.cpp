#include "crash/RestoreCrashPlan.h"

#include "foundation/ErrorPropagation.h"
#include "restore/FileExtentRestoreHandler.h"

#include <algorithm>
#include <map>

using namespace FILEEXTENT_RESTORE;

namespace
{
const char* const kIncompleteCode = "385876030"; // 0x1700003E

enum Column
{
    RestoredFilePath,
    ErrorCode,
    Status,
    ContainerItemRestored,
    NumOfExtents,
    ExtentBitmap,
    Metadata,
    TaskId,
};

// Extent 0 is the last character.
void SetBit(std::string& bitmap, ULONGLONG extent)
{
    bitmap[bitmap.size() - 1 - static_cast<std::size_t>(extent)] = '1';
}
} // namespace

RestoreCrashPlan::RestoreCrashPlan(std::uint64_t seed)
{
    std::mt19937_64 random(seed);
    const std::size_t files = std::uniform_int_distribution<std::size_t>(24, 48)(random);
    for (std::size_t index = 0; index < files; ++index)
        AddRestoredFile(random, index);
    Interleave(random, std::uniform_int_distribution<std::size_t>(2, 6)(random),
               std::uniform_int_distribution<std::size_t>(4, 24)(random));
}

void RestoreCrashPlan::AddRestoredFile(std::mt19937_64& random, std::size_t index)
{
    File file;
    // Pairs of files share a path under two versions.
    file.path = "/data/file" + std::to_string(index / 2) + ".bin";
    file.version = static_cast<ULONG>(index % 2);
    file.extents = std::uniform_int_distribution<ULONGLONG>(0, 20)(random);
    file.restoredPath = "/restore" + file.path + ".v" + std::to_string(file.version);
    file.taskId = static_cast<int>(1 + index % 3);
    file.attribute = random() >> 1;
    file.complete = file.extents == 0 || std::bernoulli_distribution(0.75)(random);
    for (ULONGLONG extent = 0; extent < file.extents; ++extent)
        file.extentOrder.push_back(extent);
    std::shuffle(file.extentOrder.begin(), file.extentOrder.end(), random);
    if (!file.complete)
        file.extentOrder.pop_back();

    const std::size_t id = AddFile(file.path + "|" + std::to_string(file.version));
    Row row{file.restoredPath, "0", "3", "1", std::to_string(file.extents), std::string(file.extents, '0'),
            AttributesText(file), std::to_string(file.taskId)};
    AddImage(id, row);
    for (ULONGLONG extent : file.extentOrder)
    {
        SetBit(row[ExtentBitmap], extent);
        row[Status] = "0";
        AddImage(id, row);
    }
    m_files.push_back(file);
}

std::string RestoreCrashPlan::AttributesText(const File& file) const
{
    return std::to_string(file.attribute) + "!" + std::to_string(file.path.size()) + "!7!" +
           std::to_string(file.version + 40) + "!" + std::to_string(file.extents);
}

std::string RestoreCrashPlan::RowsSql() const
{
    return "SELECT FilePath || '|' || RestoredItemVersion, RestoredFilePath, ErrorCode, Status, "
           "ContainerItemRestored, NumOfExtents, ExtentBitmap, Metadata, TaskId FROM RestoredItems;";
}

CZuError RestoreCrashPlan::Run(const std::string& directory, std::size_t mark, Hooks& hooks) const
{
    CFileExtentRestoreHandler handler;
    FX_RETURN_IF_ERROR(handler.Initialize(directory, false, nullptr, nullptr, 0));
    auto apply = [&](const Event& event) {
        const File& file = m_files[event.file];
        if (event.ordinal == 0)
        {
            CFileExtentContainerItemRestoreReportPtr report(new CFileExtentContainerItemRestoreReport());
            report->SetRestoredFilePath(file.restoredPath);
            report->SetNoOfExtents(file.extents);
            report->SetTaskId(file.taskId);
            report->SetRestoreStatus(PROGRESSING);
            CFileExtentContainerItemRestoredAttributes attributes;
            attributes.Value1 = file.attribute;
            attributes.Value2 = file.path.size();
            attributes.Value3 = 7;
            attributes.Value4 = file.version + 40;
            attributes.Value5 = file.extents;
            report->SetFileExtentContainerItemRestoredAttributes(attributes);
            return handler.OnContainerItem(file.path, file.version, report);
        }
        CFileExtentExtentItemRestoreReportPtr report(new CFileExtentExtentItemRestoreReport());
        report->SetExtentNumber(file.extentOrder[event.ordinal - 1]);
        report->SetRestoreStatus(SUCCESS);
        return handler.OnExtentItem(file.path, file.version, report);
    };
    CZuError error = RunEvents(mark, hooks, apply, [&] { return handler.Flush(); });
    if (!error.IsError())
    {
        hooks.EnterPass();
        error = handler.UpdateStatus();
        hooks.LeavePass();
    }
    handler.DeInitialize();
    FX_RETURN_PROPAGATED(error);
}

CrashPlan::Row RestoreCrashPlan::Settled(std::size_t file) const
{
    Row row = Image(file, EventsOf(file));
    row[Status] = m_files[file].complete ? "0" : "1";
    row[ErrorCode] = m_files[file].complete ? "0" : kIncompleteCode;
    return row;
}

std::string RestoreCrashPlan::CheckThroughFacade(const std::string& directory) const
{
    CFileExtentRestoreHandler handler;
    if (handler.Initialize(directory, false, nullptr, nullptr, 0).IsError())
        return "the restarted handler does not initialise";
    std::map<std::string, std::string> mismatches;
    std::size_t seen = 0;
    CZuError error = handler.GetAllRestoredItems(
        [&](const std::string& path, unsigned int version, const CFileExtentContainerItemRestoreReport& report) {
            ++seen;
            for (std::size_t file = 0; file < FileCount(); ++file)
                if (m_files[file].path == path && m_files[file].version == version &&
                    (report.GetRestoreStatus() == SUCCESS) != m_files[file].complete)
                    mismatches[Key(file)] = std::to_string(report.GetRestoreStatus());
            return CZuError::Success();
        });
    handler.DeInitialize();
    if (error.IsError())
        return "enumeration failed: " + error.AsString();
    if (seen != FileCount())
        return "enumerated " + std::to_string(seen) + " items of " + std::to_string(FileCount());
    if (!mismatches.empty())
        return "item " + mismatches.begin()->first + " reported with status " + mismatches.begin()->second;
    return std::string();
}
