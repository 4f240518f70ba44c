#include "store/RecordTable.h"

#include "foundation/Log.h"
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
} // namespace

CRecordTable::CRecordTable(CFileExtentRestoreDB& db, const std::string& name) : m_db(db), m_name(name), m_opened(false)
{
}

bool CRecordTable::Exists()
{
    return m_db.DoesTableExist(m_name);
}

CZuError CRecordTable::Create(const std::string& columnList, const std::string& insertSql,
                              const std::string& selectSql)
{
    CZuError err = m_db.CreateTable(m_name, columnList);
    if (err.IsError())
        return CStoreError::WithMessage(
            err, FX_CODE_LOCATION,
            FXString::Format("TableName=[%s], DB=[%s]", m_name.c_str(), m_db.GetDatabaseName().c_str()));
    err = Prepare(insertSql, m_insert);
    if (!err.IsError())
        err = Prepare(selectSql, m_selectByKey);
    if (err.IsError())
    {
        Close();
        return err.Push(FX_CODE_LOCATION);
    }
    m_opened = true;
    return CZuError::Success();
}

CZuError CRecordTable::Prepare(const std::string& sql, boost::shared_ptr<FX::CSQLite3Statement>& statement)
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
}

CZuError CRecordTable::CheckOpened() const
{
    if (!m_opened)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ErrorTableNotOpened, "Table [%s] is not opened",
                                       m_name.c_str());
    return CZuError::Success();
}

CZuError CRecordTable::CheckPrepared(const boost::shared_ptr<FX::CSQLite3Statement>& statement) const
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
    return CStoreError::Guard(FX_CODE_LOCATION, [&] {
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

CZuError CRecordTable::Insert(const BindFn& bind)
{
    CZuError err = CheckPrepared(m_insert);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    err = CStoreError::Guard(FX_CODE_LOCATION, [&] {
        CResetOnExit reset(*m_insert);
        bind(*m_insert);
        m_insert->ExecDML();
        return CZuError::Success();
    });
    if (FXErrorUtil::IsSQLite(err, SQLitePrimaryKeyViolation))
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_ALREADY_EXISTS);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CRecordTable::SelectOne(const BindFn& bindKey, const ReadFn& read)
{
    CZuError err = CheckPrepared(m_selectByKey);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    err = CStoreError::Guard(FX_CODE_LOCATION, [&] {
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
    std::string sql = condition.empty()
                          ? FXString::Format("SELECT * FROM %s;", m_name.c_str())
                          : FXString::Format("SELECT * FROM %s WHERE %s;", m_name.c_str(), condition.c_str());
    err = CStoreError::Guard(FX_CODE_LOCATION, [&] {
        boost::shared_ptr<FX::CSQLite3Query> query;
        CZuError queryErr = m_db.Query(sql, query);
        if (queryErr.IsError())
            return queryErr.Push(FX_CODE_LOCATION);
        if (query->Eof())
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND);
        for (; !query->Eof(); query->NextRow())
        {
            CZuError rowErr = onRow(*query);
            if (rowErr.IsError())
                return rowErr.Push(FX_CODE_LOCATION);
        }
        return CZuError::Success();
    });
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CRecordTable::DeleteWhere(const std::string& condition)
{
    CZuError err = CheckOpened();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    int changed = 0;
    err = m_db.Execute(FXString::Format("DELETE FROM %s WHERE %s;", m_name.c_str(), condition.c_str()), changed);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    if (changed == 0)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND);
    return CZuError::Success();
}

CZuError CRecordTable::UpdateWhere(const std::string& assignments, const std::string& condition,
                                   const std::vector<std::string>& blobs)
{
    CZuError err = CheckOpened();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    std::string sql = FXString::Format("UPDATE %s SET ", m_name.c_str()) + assignments;
    FXString::RemoveRight(sql, ", ");
    sql += " WHERE " + condition + ";";
    FX_LOG(5, "sql stmnt: '%s'", sql.c_str());
    err = RunUpdate(sql, blobs);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CRecordTable::RunUpdate(const std::string& sql, const std::vector<std::string>& blobs)
{
    boost::shared_ptr<FX::CSQLite3Statement> statement;
    CZuError err = m_db.CompileStatement(sql, statement);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CStoreError::Guard(FX_CODE_LOCATION, [&] {
        for (size_t i = 0; i < blobs.size(); ++i)
        {
            FX_LOG(5, "sql bind: '%s'", blobs[i].c_str());
            statement->Bind(static_cast<int>(i + 1), reinterpret_cast<const unsigned char*>(blobs[i].data()),
                            static_cast<int>(blobs[i].size()));
        }
        if (statement->ExecDML() == 0)
            return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_NOT_FOUND);
        return CZuError::Success();
    });
}
} // namespace FILEEXTENT_RESTORE
