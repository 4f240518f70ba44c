#include "RecallFloorHost.h"

#include "LibraryCheck.h"
#include "LibraryRecallHost.h"
#include "RecalledItemsSql.h"
#include "RestoreWorkload.h"

using namespace FILEEXTENTRECALLDB;

namespace
{
// Bound without a copy: it must outlive the statement's run.
const std::string kNoAction;

std::string MetadataText(const CFileExtentRecallFileMetadata& metadata)
{
    std::string text;
    CheckLibrary(CFileExtentRecallFileMetadata::SerializeToString(metadata, text), "recall metadata");
    return text;
}
} // namespace

void CRecallFloorHost::Open(const std::string& dbPath)
{
    m_db = std::make_unique<CSqliteDb>(dbPath);
    m_db->Exec("PRAGMA cache_size=-8192;");
    m_db->Exec(CRecalledItemsSql::Create());
    m_upsert = std::make_unique<CSqliteStatement>(m_db->Prepare(CRecalledItemsSql::Upsert()));
    m_begin = std::make_unique<CSqliteStatement>(m_db->Prepare("BEGIN;"));
    m_commit = std::make_unique<CSqliteStatement>(m_db->Prepare("COMMIT;"));
}

void CRecallFloorHost::OnFile(const CRestoreWorkload& workload, std::size_t file)
{
    m_workload = &workload;
    CFile& held = m_held[workload.Path(file)];
    held.file = file;
    held.bitmap.assign(workload.Extents(), '0');
    held.status = PROGRESSING;
    held.eventsSinceWrite = 0;
    CFileExtentRecallFileMetadata metadata = CLibraryRecallHost::Metadata(workload, file);
    held.fileMetadata = MetadataText(metadata);
    metadata.Stats = CLibraryRecallHost::ExtentStats();
    held.extentMetadata = MetadataText(metadata);
    held.metadata = &held.fileMetadata;
    Write(workload.Path(file), held);
}

void CRecallFloorHost::OnExtent(const CRestoreWorkload& workload, std::size_t file, std::size_t extent)
{
    CFile& held = m_held.at(workload.Path(file));
    held.bitmap[held.bitmap.size() - 1 - extent] = '1';
    held.status = CLibraryRecallHost::ExtentStatus(workload, extent);
    held.metadata = &held.extentMetadata;
    held.dirty = true;
    if (++held.eventsSinceWrite >= kExtentEventsPerWrite)
    {
        held.eventsSinceWrite = 0;
        Write(workload.Path(file), held);
    }
    if (held.status != PROGRESSING)
    {
        WriteDirty();
        m_held.erase(workload.Path(file));
    }
}

void CRecallFloorHost::Finish()
{
    WriteDirty();
    m_held.clear();
    m_commit.reset();
    m_begin.reset();
    m_upsert.reset();
    m_db.reset();
}

void CRecallFloorHost::Write(const std::string& path, CFile& held)
{
    int column = 1;
    m_upsert->BindText(column++, path);
    m_upsert->BindText(column++, m_workload->RestoredPath(held.file));
    m_upsert->BindInt(column++, 0);
    m_upsert->BindInt(column++, held.status);
    m_upsert->BindInt(column++, 0);
    m_upsert->BindText(column++, kNoAction);
    m_upsert->BindInt(column++, static_cast<std::int64_t>(held.bitmap.size()));
    m_upsert->BindBlob(column++, held.bitmap);
    m_upsert->BindText(column++, *held.metadata);
    m_upsert->Run();
    held.dirty = false;
}

void CRecallFloorHost::WriteDirty()
{
    std::size_t dirty = 0;
    for (const auto& entry : m_held)
        dirty += entry.second.dirty ? 1 : 0;
    if (dirty > 1)
        m_begin->Run();
    for (auto& entry : m_held)
        if (entry.second.dirty)
            Write(entry.first, entry.second);
    if (dirty > 1)
        m_commit->Run();
}
