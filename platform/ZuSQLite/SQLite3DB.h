#pragma once

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <string>

namespace FX
{
class CSQLite3Connection;
class CSQLite3Query;
class CSQLite3Statement;

// The connection to one database file. It opens at first use, creating the file when
// absent, and may be closed and used again. Statements and queries made from it may
// outlive it or a Close(): they then fail with SQLITE_MISUSE. Failures throw CSQLite3Exception.
class CSQLite3DB
{
public:
    typedef int (*ProgressFn)(void* context);

    CSQLite3DB();
    ~CSQLite3DB();
    CSQLite3DB(const CSQLite3DB&) = delete;
    CSQLite3DB& operator=(const CSQLite3DB&) = delete;

    // A new file closes the connection to the old one.
    void SetFilePath(const std::string& path);
    const std::string& GetFilePath() const { return m_path; }
    // Called now and then during long statements; a non-zero result interrupts them.
    void SetProgressHandler(ProgressFn handler, void* context);

    void Open();
    void Close();
    bool IsOpen() const;

    // Runs one statement to completion; returns the rows changed.
    int ExecDML(const std::string& sql);
    boost::shared_ptr<CSQLite3Query> ExecQuery(const std::string& sql);
    boost::shared_ptr<CSQLite3Statement> CompileStatement(const std::string& sql);
    // First column of the first row; nullValue when there is no row or the field is NULL.
    std::int64_t ExecScalarInt64(const std::string& sql, std::int64_t nullValue);
    bool TableExists(const std::string& name);

    // One write transaction (BEGIN IMMEDIATE), held by the calling thread until it commits or
    // rolls back; other threads' writes wait for it. Commit ends the transaction either way:
    // when COMMIT fails, the transaction is rolled back before the failure is thrown.
    void BeginTransaction();
    void CommitTransaction();
    // Never throws; ends the transaction whether or not the engine had already undone it.
    void RollbackTransaction();
    // False once the engine has undone an open transaction by itself (a full disk, an I/O error).
    bool IsInTransaction();
    // The longest text, BLOB or row the engine stores (SQLITE_LIMIT_LENGTH), in bytes.
    std::int64_t GetMaxLength();

private:
    const boost::shared_ptr<CSQLite3Connection>& Connection();
    void EndTransaction();

    std::string m_path;
    // The connection of the open transaction, whose write lock this thread holds.
    boost::shared_ptr<CSQLite3Connection> m_transaction;
    ProgressFn m_progress;
    void* m_progressContext;
    boost::shared_ptr<CSQLite3Connection> m_connection;
};
} // namespace FX
