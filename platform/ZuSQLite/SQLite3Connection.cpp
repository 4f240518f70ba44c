#include "platform/ZuSQLite/SQLite3Connection.h"

#include "platform/ZuSQLite/SQLite3Exception.h"

#include <sqlite3.h>

namespace FX
{
namespace
{
// Long enough for another process's checkpoint or write to finish.
const int BusyTimeoutMs = 5000;
const int ProgressSteps = 1000;
} // namespace

boost::shared_ptr<CSQLite3Connection> CSQLite3Connection::Open(const std::string& path, ProgressFn progress,
                                                               void* progressContext)
{
    if (path.empty())
        throw CSQLite3Exception(SQLITE_CANTOPEN, "No database file set");
    // The owner exists before the engine handle, so that no failure can leave the handle open.
    boost::shared_ptr<CSQLite3Connection> connection(new CSQLite3Connection(nullptr));
    int rc = sqlite3_open_v2(path.c_str(), &connection->m_db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    sqlite3* db = connection->m_db;
    if (rc != SQLITE_OK)
    {
        std::string message = std::string(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)) + " [" + path + "]";
        throw CSQLite3Exception(db ? sqlite3_extended_errcode(db) : rc, message.c_str());
    }
    connection->Configure();
    if (progress)
        sqlite3_progress_handler(db, ProgressSteps, progress, progressContext);
    return connection;
}

void CSQLite3Connection::Configure()
{
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, BusyTimeoutMs);
    // WAL: readers in other processes are not blocked, and with synchronous=NORMAL an
    // autocommit write costs no fsync yet survives a crash of this process. A page cache of
    // 8 MiB keeps the paths a restore's passes walk in a table of millions of rows.
    const char* setup = "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA cache_size=-8192;";
    int rc = sqlite3_exec(m_db, setup, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        Throw(rc);
}

CSQLite3Connection::~CSQLite3Connection()
{
    Close();
}

int CSQLite3Connection::RunTransactionStep(TransactionStep step)
{
    static const char* const texts[TRANSACTION_STEPS] = {"BEGIN IMMEDIATE;", "COMMIT;", "ROLLBACK;"};
    sqlite3_stmt*& statement = m_transactionSteps[step];
    if (!statement)
    {
        int rc = sqlite3_prepare_v2(Handle(), texts[step], -1, &statement, nullptr);
        if (rc != SQLITE_OK)
            return rc;
    }
    int rc = sqlite3_step(statement);
    // The reset hands a failure's code and message to the connection, as sqlite3_exec's finalize does.
    sqlite3_reset(statement);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

void CSQLite3Connection::Close()
{
    if (!m_db)
        return;
    for (sqlite3_stmt*& statement : m_transactionSteps)
        statement = nullptr;
    while (sqlite3_stmt* statement = sqlite3_next_stmt(m_db, nullptr))
        sqlite3_finalize(statement);
    sqlite3_close_v2(m_db);
    m_db = nullptr;
}

sqlite3* CSQLite3Connection::Handle() const
{
    if (!m_db)
        throw CSQLite3Exception(SQLITE_MISUSE, "The database connection is closed");
    return m_db;
}

void CSQLite3Connection::Throw(int code) const
{
    throw CSQLite3Exception(code, m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(code));
}
} // namespace FX
