#include "platform/ZuSQLite/SQLite3DB.h"

#include "platform/ZuSQLite/SQLite3Connection.h"
#include "platform/ZuSQLite/SQLite3Exception.h"
#include "platform/ZuSQLite/SQLite3Query.h"
#include "platform/ZuSQLite/SQLite3Statement.h"
#include "platform/ZuSQLite/SQLite3StatementHandle.h"

#include <sqlite3.h>

namespace FX
{
CSQLite3DB::CSQLite3DB() : m_progress(nullptr), m_progressContext(nullptr)
{
}

CSQLite3DB::~CSQLite3DB()
{
    Close();
}

void CSQLite3DB::SetFilePath(const std::string& path)
{
    if (path == m_path)
        return;
    Close();
    m_path = path;
}

void CSQLite3DB::SetProgressHandler(ProgressFn handler, void* context)
{
    m_progress = handler;
    m_progressContext = context;
}

void CSQLite3DB::Open()
{
    Connection();
}

void CSQLite3DB::Close()
{
    RollbackTransaction();
    if (m_connection)
        m_connection->Close();
    m_connection.reset();
}

bool CSQLite3DB::IsOpen() const
{
    return m_connection && m_connection->IsOpen();
}

const boost::shared_ptr<CSQLite3Connection>& CSQLite3DB::Connection()
{
    if (!IsOpen())
        m_connection = CSQLite3Connection::Open(m_path, m_progress, m_progressContext);
    return m_connection;
}

int CSQLite3DB::ExecDML(const std::string& sql)
{
    return CompileStatement(sql)->ExecDML();
}

boost::shared_ptr<CSQLite3Query> CSQLite3DB::ExecQuery(const std::string& sql)
{
    return CompileStatement(sql)->ExecQuery();
}

boost::shared_ptr<CSQLite3Statement> CSQLite3DB::CompileStatement(const std::string& sql)
{
    boost::shared_ptr<CSQLite3StatementHandle> handle(new CSQLite3StatementHandle(Connection(), sql));
    return boost::shared_ptr<CSQLite3Statement>(new CSQLite3Statement(handle));
}

std::int64_t CSQLite3DB::ExecScalarInt64(const std::string& sql, std::int64_t nullValue)
{
    boost::shared_ptr<CSQLite3Query> query = ExecQuery(sql);
    if (query->Eof())
        return nullValue;
    return query->GetBigIntField(0, nullValue);
}

void CSQLite3DB::BeginTransaction()
{
    boost::shared_ptr<CSQLite3Connection> connection = Connection();
    std::unique_lock<std::recursive_mutex> lock(connection->WriteLock());
    int rc = connection->RunTransactionStep(CSQLite3Connection::BEGIN_IMMEDIATE);
    if (rc != SQLITE_OK)
        connection->Throw(sqlite3_extended_errcode(connection->Handle()));
    lock.release();
    m_transaction = connection;
}

void CSQLite3DB::CommitTransaction()
{
    if (!m_transaction)
        throw CSQLite3Exception(SQLITE_MISUSE, "No transaction to commit");
    int rc = m_transaction->IsOpen() ? m_transaction->RunTransactionStep(CSQLite3Connection::COMMIT) : SQLITE_MISUSE;
    if (rc == SQLITE_OK)
    {
        EndTransaction();
        return;
    }
    const int code = m_transaction->IsOpen() ? sqlite3_extended_errcode(m_transaction->Handle()) : rc;
    const std::string message = m_transaction->IsOpen() ? sqlite3_errmsg(m_transaction->Handle()) : sqlite3_errstr(rc);
    RollbackTransaction();
    throw CSQLite3Exception(code, message.c_str());
}

void CSQLite3DB::RollbackTransaction()
{
    if (!m_transaction)
        return;
    if (m_transaction->IsOpen() && !sqlite3_get_autocommit(m_transaction->Handle()))
        m_transaction->RunTransactionStep(CSQLite3Connection::ROLLBACK);
    EndTransaction();
}

void CSQLite3DB::EndTransaction()
{
    boost::shared_ptr<CSQLite3Connection> connection;
    connection.swap(m_transaction);
    connection->WriteLock().unlock();
}

bool CSQLite3DB::IsInTransaction()
{
    return m_transaction && m_transaction->IsOpen() && !sqlite3_get_autocommit(m_transaction->Handle());
}

std::int64_t CSQLite3DB::GetMaxLength()
{
    return sqlite3_limit(Connection()->Handle(), SQLITE_LIMIT_LENGTH, -1);
}

bool CSQLite3DB::TableExists(const std::string& name)
{
    boost::shared_ptr<CSQLite3Statement> statement =
        CompileStatement("SELECT count(*) FROM sqlite_master WHERE type='table' AND name=?;");
    statement->Bind(1, name.c_str());
    return statement->ExecQuery()->GetIntField(0, 0) > 0;
}
} // namespace FX
