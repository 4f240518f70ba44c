#pragma once

#include "platform/ZuSQLite/SQLite3DB.h"
#include "platform/ZuUtils/ZuError.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <string>

namespace FX
{
class CSQLite3Query;
class CSQLite3Statement;

// One database file (directory + file name) and its connection. The file opens at first
// use, so OpenDatabase() is optional. Operations report engine failures as SQLite errors
// (extended result codes) instead of throwing; the objects they hand out throw.
class CDatabaseBase
{
public:
    // flags: reserved, callers pass 0.
    explicit CDatabaseBase(int flags);
    virtual ~CDatabaseBase();
    CDatabaseBase(const CDatabaseBase&) = delete;
    CDatabaseBase& operator=(const CDatabaseBase&) = delete;

    virtual CZuError OpenDatabase();
    // Called now and then during long statements; a non-zero result interrupts them.
    virtual int ProgressHandler();

    CZuError CloseDatabase();
    CZuError SetDatabasePath(const std::string& directory);
    CZuError SetDatabaseName(const std::string& fileName);
    std::string GetDatabasePath() const { return m_directory; }
    std::string GetDatabaseName() const { return m_fileName; }

    // columns: the parenthesised column list. Rows of an existing table are kept.
    CZuError CreateTable(const std::string& name, const std::string& columns);
    // Succeeds when the table is absent.
    CZuError DeleteTable(const std::string& name);
    bool DoesTableExist(const std::string& name);
    CZuError DeleteAllRows(const std::string& name);
    // The text with single quotes doubled, fit to stand between single quotes.
    static std::string SqlSafeString(const std::string& text);

    CZuError Execute(const std::string& sql);
    CZuError Execute(const std::string& sql, int& changed);
    // The cursor stands on the first row.
    CZuError Query(const std::string& sql, boost::shared_ptr<CSQLite3Query>& query);
    CZuError CompileStatement(const std::string& sql, boost::shared_ptr<CSQLite3Statement>& statement);
    CSQLite3DB& GetDatabase() { return m_db; }

    // One write transaction on the connection; see CSQLite3DB. CommitTransaction ends it even
    // when it fails, and RollbackTransaction always ends it.
    CZuError BeginTransaction();
    CZuError CommitTransaction();
    void RollbackTransaction();
    bool IsInTransaction();
    // The longest text or BLOB the engine stores, in bytes (0 when the file cannot be opened).
    std::int64_t GetMaxLength();

private:
    static int OnProgress(void* context);
    void UpdateFilePath();

    std::string m_directory;
    std::string m_fileName;
    CSQLite3DB m_db;
};
} // namespace FX
