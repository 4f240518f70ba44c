#include "NaiveSqliteHost.h"

#include "RestoreWorkload.h"
#include "RestoredItemsSql.h"

namespace
{
const int kSuccess = 0;
const int kProgressing = 3;
} // namespace

void CNaiveSqliteHost::Open(const std::string& dbPath)
{
    m_db = std::make_unique<CSqliteDb>(dbPath);
    m_db->Exec(CRestoredItemsSql::Create());
    m_insert = std::make_unique<CSqliteStatement>(m_db->Prepare(CRestoredItemsSql::Insert()));
    m_update = std::make_unique<CSqliteStatement>(m_db->Prepare(CRestoredItemsSql::UpdateExtent()));
}

void CNaiveSqliteHost::OnFile(const CRestoreWorkload& workload, std::size_t file)
{
    const std::string& bitmap = m_bitmaps.insert_or_assign(workload.Path(file), std::string(workload.Extents(), '0'))
                                    .first->second;
    BindRow(*m_insert, workload, file, kProgressing, bitmap);
    m_insert->Run();
}

void CNaiveSqliteHost::OnExtent(const CRestoreWorkload& workload, std::size_t file, std::size_t extent)
{
    std::string& bitmap = m_bitmaps.find(workload.Path(file))->second;
    bitmap[bitmap.size() - 1 - extent] = '1';
    m_update->BindBlob(1, bitmap);
    m_update->BindInt(2, kSuccess);
    m_update->BindInt(3, 0);
    m_update->BindText(4, workload.Path(file));
    m_update->BindInt(5, 0);
    m_update->Run();
}

void CNaiveSqliteHost::Finish()
{
    m_db->Exec(CRestoredItemsSql::DecideStatus());
    m_update.reset();
    m_insert.reset();
    m_db.reset();
    m_bitmaps.clear();
}

void CNaiveSqliteHost::BindRow(CSqliteStatement& insert, const CRestoreWorkload& workload, std::size_t file,
                               int status, const std::string& bitmap)
{
    int column = 1;
    insert.BindText(column++, workload.Path(file));
    insert.BindInt(column++, 0);
    insert.BindText(column++, workload.RestoredPath(file));
    insert.BindInt(column++, 0);
    insert.BindInt(column++, status);
    insert.BindInt(column++, 1);
    insert.BindText(column++, workload.ActionText());
    insert.BindInt(column++, static_cast<std::int64_t>(workload.Extents()));
    insert.BindBlob(column++, bitmap);
    insert.BindText(column++, workload.AttributesText());
    insert.BindInt(column++, workload.TaskId(file));
}
