#pragma once

#include <boost/shared_ptr.hpp>

#include <mutex>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace FX
{
// One open engine connection, shared by the statements prepared on it. Closing it
// finalizes every statement first, so statement objects that outlive the close find
// it closed (and fail cleanly) instead of touching freed engine memory.
class CSQLite3Connection
{
public:
    typedef int (*ProgressFn)(void* context);

    // Opens (creating when absent) in WAL mode with synchronous=NORMAL and a busy timeout.
    // Throws CSQLite3Exception; a file that is not a database fails here with SQLITE_NOTADB.
    static boost::shared_ptr<CSQLite3Connection> Open(const std::string& path, ProgressFn progress,
                                                      void* progressContext);

    ~CSQLite3Connection();
    CSQLite3Connection(const CSQLite3Connection&) = delete;
    CSQLite3Connection& operator=(const CSQLite3Connection&) = delete;

    void Close();
    bool IsOpen() const { return m_db != nullptr; }
    // The engine handle; throws SQLITE_MISUSE once closed.
    sqlite3* Handle() const;
    // Throws the given result code with the connection's current message.
    [[noreturn]] void Throw(int code) const;

    // Writers take this: a statement that changes rows for its run, a transaction from its
    // BEGIN to its end. Threads share the connection, and a write of one thread must not slip
    // into (and be rolled back with) another thread's transaction. Recursive, so the writes of
    // a transaction take it again on the same thread.
    std::recursive_mutex& WriteLock() { return m_writeLock; }

    enum TransactionStep
    {
        BEGIN_IMMEDIATE,
        COMMIT,
        ROLLBACK,
        TRANSACTION_STEPS
    };
    // Runs one transaction statement as sqlite3_exec would, and returns its result code, the
    // connection's error code and message set as sqlite3_exec leaves them. Each is prepared on
    // first use and kept for the connection's life: a pass of one record would otherwise parse
    // two statements besides its write. Call it holding WriteLock().
    int RunTransactionStep(TransactionStep step);

private:
    explicit CSQLite3Connection(sqlite3* db) : m_db(db) {}
    void Configure();

    sqlite3* m_db;
    std::recursive_mutex m_writeLock;
    // Finalized by Close with every other statement.
    sqlite3_stmt* m_transactionSteps[TRANSACTION_STEPS] = {};
};
} // namespace FX
