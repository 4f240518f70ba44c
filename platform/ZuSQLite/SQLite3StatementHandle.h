#pragma once

#include "platform/ZuSQLite/SQLite3Connection.h"

#include <boost/shared_ptr.hpp>

#include <string>

struct sqlite3_stmt;

namespace FX
{
// A prepared engine statement, shared by the statement object and the queries it runs,
// so either may be released first. It keeps its connection object alive.
class CSQLite3StatementHandle
{
public:
    // Prepares exactly one statement; throws CSQLite3Exception.
    CSQLite3StatementHandle(const boost::shared_ptr<CSQLite3Connection>& connection, const std::string& sql);
    ~CSQLite3StatementHandle();
    CSQLite3StatementHandle(const CSQLite3StatementHandle&) = delete;
    CSQLite3StatementHandle& operator=(const CSQLite3StatementHandle&) = delete;

    // The engine statement; throws SQLITE_MISUSE once the connection was closed.
    sqlite3_stmt* Get() const;
    CSQLite3Connection& Connection() const { return *m_connection; }
    // True when a row is ready, false when the statement is done; throws on failure.
    bool Step();
    void Reset();

private:
    boost::shared_ptr<CSQLite3Connection> m_connection;
    sqlite3_stmt* m_statement;
};
} // namespace FX
