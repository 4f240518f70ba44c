#include "RestoreFloorHost.h"

#include "NaiveSqliteHost.h"
#include "RestoreWorkload.h"
#include "RestoredItemsSql.h"
#include "platform/ZuUtils/FXString.h"

#include <iterator>

namespace
{
const int kSuccess = 0;
const int kProgressing = 3;
} // namespace

bool CRestoreFloorHost::CKeyLess::operator()(const CKey& a, const CKey& b) const
{
    const int byPath = FXString::CompareNoCase(a.path, b.path);
    return byPath == 0 ? a.version < b.version : byPath < 0;
}

void CRestoreFloorHost::Open(const std::string& dbPath)
{
    m_db = std::make_unique<CSqliteDb>(dbPath);
    m_db->Exec("PRAGMA cache_size=-8192;");
    m_db->Exec(CRestoredItemsSql::Create());
    m_insert = std::make_unique<CSqliteStatement>(m_db->Prepare(CRestoredItemsSql::Insert()));
    m_update = std::make_unique<CSqliteStatement>(m_db->Prepare(CRestoredItemsSql::UpdateExtent()));
    m_begin = std::make_unique<CSqliteStatement>(m_db->Prepare("BEGIN;"));
    m_commit = std::make_unique<CSqliteStatement>(m_db->Prepare("COMMIT;"));
}

void CRestoreFloorHost::OnFile(const CRestoreWorkload& workload, std::size_t file)
{
    CFile& held = m_held[CKey{workload.Path(file), 0}];
    held.bitmap.assign(workload.Extents(), '0');
    held.status = kProgressing;
    held.dirty = false;
    CNaiveSqliteHost::BindRow(*m_insert, workload, file, held.status, held.bitmap);
    m_insert->Run();
    m_currentFile = file;
    m_current = &held;
    if (m_held.size() > kMaxHeld)
        EvictSmallest();
}

void CRestoreFloorHost::OnExtent(const CRestoreWorkload& workload, std::size_t file, std::size_t extent)
{
    CFile& held = m_current && m_currentFile == file ? *m_current : m_held.at(CKey{workload.Path(file), 0});
    held.bitmap[held.bitmap.size() - 1 - extent] = '1';
    held.status = kSuccess;
    held.dirty = true;
}

void CRestoreFloorHost::Flush()
{
    WriteBack(m_held.begin(), m_held.end());
}

void CRestoreFloorHost::Finish()
{
    Flush();
    m_held.clear();
    m_current = nullptr;
    m_db->Exec(CRestoredItemsSql::DecideStatus());
    m_commit.reset();
    m_begin.reset();
    m_update.reset();
    m_insert.reset();
    m_db.reset();
}

void CRestoreFloorHost::EvictSmallest()
{
    const FileMap::iterator last = std::next(m_held.begin(), static_cast<std::ptrdiff_t>(kEvictionStep));
    WriteBack(m_held.begin(), last);
    for (FileMap::iterator file = m_held.begin(); file != last; ++file)
        if (&file->second == m_current)
            m_current = nullptr;
    m_held.erase(m_held.begin(), last);
}

void CRestoreFloorHost::WriteBack(FileMap::iterator first, FileMap::iterator last)
{
    bool open = false;
    for (FileMap::iterator file = first; file != last; ++file)
    {
        if (!file->second.dirty)
            continue;
        if (!open)
            m_begin->Run();
        open = true;
        m_update->BindBlob(1, file->second.bitmap);
        m_update->BindInt(2, file->second.status);
        m_update->BindInt(3, 0);
        m_update->BindText(4, file->first.path);
        m_update->BindInt(5, file->first.version);
        m_update->Run();
        file->second.dirty = false;
    }
    if (open)
        m_commit->Run();
}
