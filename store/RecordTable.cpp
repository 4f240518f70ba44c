#include "store/RecordTable.h"

#include "foundation/ErrorPropagation.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/FXString.h"
#include "store/FileExtentRestoreDB.h"
#include "store/StoreError.h"

namespace FILEEXTENT_RESTORE
{
namespace
{
const unsigned int ErrorTableNotOpened = 774;
const int SQLitePrimaryKeyViolation = 1555;

// Leaves a prepared statement reusable on every way out.
class CResetOnExit
{
public:
    explicit CResetOnExit(FX::CSQLite3Statement& statement) : m_statement(statement) {}
    ~CResetOnExit() { m_statement.Reset(); }
    CResetOnExit(const CResetOnExit&) = delete;
    CResetOnExit& operator=(const CResetOnExit&) = delete;

private:
    FX::CSQLite3Statement& m_statement;
};

// Every row of a query; none is ERROR_NOT_FOUND, and an error from onRow stops at its row.
CZuError EachRow(FX::CSQLite3Query& query, const CRecordTable::RowFn& onRow)
{
    if (query.Eof())
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND);
    for (; !query.Eof(); query.NextRow())
    {
        CZuError rowErr = onRow(query);
        if (rowErr.IsError())
            return rowErr.Push(FX_CODE_LOCATION);
    }
    return CZuError::Success();
}
} // namespace

CRecordTable::CRecordTable(CFileExtentRestoreDB& db, const std::string& name) : m_db(db), m_name(name), m_opened(false)
{
}

bool CRecordTable::Exists()
{
    return m_db.DoesTableExist(m_name);
}

CZuError CRecordTable::Create(const CRecordTableSql& sql)
{
    CZuError err = m_db.CreateTable(m_name, sql.columnList);
    if (err.IsError())
        return CStoreError::WithMessage(
            err, FX_CODE_LOCATION,
            FXString::Format("TableName=[%s], DB=[%s]", m_name.c_str(), m_db.GetDatabaseName().c_str()));
    m_sql = sql;
    err = Prepare(sql.insert, m_insert);
    if (!err.IsError())
        err = Prepare(sql.selectByKey, m_selectByKey);
    if (!err.IsError())
        err = Prepare(sql.deleteByKey, m_deleteByKey);
    if (!err.IsError())
        err = Prepare(sql.upsert, m_upsert);
    if (err.IsError())
    {
        Close();
        return err.Push(FX_CODE_LOCATION);
    }
    m_opened = true;
    return CZuError::Success();
}

CZuError CRecordTable::Prepare(const std::string& sql, StatementPtr& statement)
{
    CZuError err = m_db.CompileStatement(sql, statement);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

void CRecordTable::Close()
{
    m_insert.reset();
    m_selectByKey.reset();
    m_deleteByKey.reset();
    m_upsert.reset();
    m_updates.clear();
    m_selectsByLeadingKeys.clear();
}

CZuError CRecordTable::CheckOpened() const
{
    if (!m_opened)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ErrorTableNotOpened, "Table [%s] is not opened",
                                       m_name.c_str());
    return CZuError::Success();
}

CZuError CRecordTable::CheckPrepared(const StatementPtr& statement) const
{
    CZuError err = CheckOpened();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    // Closed: the statements are gone while the flag stays.
    if (!statement)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ErrorTableNotOpened, "Table [%s] is not opened",
                                       m_name.c_str());
    return CZuError::Success();
}

CZuError CRecordTable::Duplicate(const std::string& destination)
{
    CZuError err = m_db.DuplicateTable(m_name, destination);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CRecordTable::Count(ULONGLONG& count)
{
    count = 0;
    CZuError err = CheckOpened();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CStoreError::Guard([&] {
        std::string sql = FXString::Format("SELECT count(*) FROM %s;", m_name.c_str());
        count = static_cast<ULONGLONG>(m_db.GetDatabase().ExecScalarInt64(sql, 0));
        return CZuError::Success();
    });
}

CZuError CRecordTable::DeleteAll()
{
    CZuError err = CheckOpened();
    if (!err.IsError())
        err = m_db.DeleteAllRows(m_name);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CRecordTable::RunChange(const StatementPtr& statement, const BindFn& bind, int& changed)
{
    changed = 0;
    return CStoreError::Guard([&] {
        CResetOnExit reset(*statement);
        bind(*statement);
        changed = statement->ExecDML();
        return CZuError::Success();
    });
}

CZuError CRecordTable::Insert(const BindFn& bind)
{
    CZuError err = CheckPrepared(m_insert);
    int changed = 0;
    if (!err.IsError())
        err = RunChange(m_insert, bind, changed);
    if (FXErrorUtil::IsSQLite(err, SQLitePrimaryKeyViolation))
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_ALREADY_EXISTS);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CRecordTable::Upsert(const BindFn& bind)
{
    CZuError err = CheckPrepared(m_upsert);
    int changed = 0;
    if (!err.IsError())
        err = RunChange(m_upsert, bind, changed);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CRecordTable::SelectOne(const BindFn& bindKey, const ReadFn& read)
{
    CZuError err = CheckPrepared(m_selectByKey);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    err = CStoreError::Guard([&] {
        CResetOnExit reset(*m_selectByKey);
        bindKey(*m_selectByKey);
        boost::shared_ptr<FX::CSQLite3Query> query = m_selectByKey->ExecQuery();
        if (query->Eof())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND);
        read(*query);
        return CZuError::Success();
    });
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CRecordTable::Enumerate(const std::string& condition, const RowFn& onRow)
{
    CZuError err = CheckOpened();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    std::string sql = "SELECT " + m_sql.selectList + " FROM " + m_name;
    sql += condition.empty() ? ";" : " WHERE " + condition + ";";
    err = CStoreError::Guard([&] {
        boost::shared_ptr<FX::CSQLite3Query> query;
        CZuError queryErr = m_db.Query(sql, query);
        if (queryErr.IsError())
            return queryErr.Push(FX_CODE_LOCATION);
        FX_RETURN_PROPAGATED(EachRow(*query, onRow));
    });
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CRecordTable::EnumerateByLeadingKeys(int keys, const BindFn& bindKey, const RowFn& onRow)
{
    // Prepared on first use; the insert tells whether the table is open and not closed.
    CZuError err = CheckPrepared(m_insert);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    err = CStoreError::Guard([&] {
        StatementPtr& statement = m_selectsByLeadingKeys[keys];
        if (!statement)
        {
            CZuError prepareErr = Prepare(m_sql.selectByLeadingKeys(keys), statement);
            if (prepareErr.IsError())
            {
                m_selectsByLeadingKeys.erase(keys);
                return prepareErr.Push(FX_CODE_LOCATION);
            }
        }
        CResetOnExit reset(*statement);
        bindKey(*statement);
        boost::shared_ptr<FX::CSQLite3Query> query = statement->ExecQuery();
        FX_RETURN_PROPAGATED(EachRow(*query, onRow));
    });
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CRecordTable::DeleteByKey(const BindFn& bindKey)
{
    CZuError err = CheckPrepared(m_deleteByKey);
    int changed = 0;
    if (!err.IsError())
        err = RunChange(m_deleteByKey, bindKey, changed);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    if (changed == 0)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND);
    return CZuError::Success();
}

CZuError CRecordTable::UpdateStatement(std::uint32_t mask, StatementPtr& statement)
{
    std::map<std::uint32_t, StatementPtr>::const_iterator found = m_updates.find(mask);
    if (found != m_updates.end())
    {
        statement = found->second;
        return CZuError::Success();
    }
    CZuError err = CStoreError::Guard([&] {
        CZuError prepareErr = Prepare(m_sql.updateByKey(mask), statement);
        if (!prepareErr.IsError())
            m_updates[mask] = statement;
        return prepareErr;
    });
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CRecordTable::UpdateByKey(std::uint32_t mask, const BindFn& bind)
{
    // Updates are prepared on first use; the insert tells whether the table is open and not closed.
    CZuError err = CheckPrepared(m_insert);
    StatementPtr statement;
    if (!err.IsError())
        err = UpdateStatement(mask, statement);
    int changed = 0;
    if (!err.IsError())
        err = RunChange(statement, bind, changed);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    if (changed == 0)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND);
    return CZuError::Success();
}

CZuError CRecordTable::BeginTransaction()
{
    CZuError err = CheckOpened();
    if (!err.IsError())
        err = m_db.BeginTransaction();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CRecordTable::CommitTransaction()
{
    CZuError err = m_db.CommitTransaction();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

void CRecordTable::RollbackTransaction()
{
    m_db.RollbackTransaction();
}

bool CRecordTable::IsInTransaction()
{
    return m_db.IsInTransaction();
}
} // namespace FILEEXTENT_RESTORE
