#pragma once

#include "SqliteStatement.h"

#include <sqlite3.h>

#include <cstdint>
#include <string>

// A raw SQLite connection for the baselines and for checking what the library wrote. A writer is
// set up as the library sets up its own: WAL, synchronous=NORMAL. Failures throw.
class CSqliteDb
{
public:
    enum class Mode { ReadWrite, ReadOnly };

    explicit CSqliteDb(const std::string& path, Mode mode = Mode::ReadWrite);
    ~CSqliteDb();

    CSqliteDb(const CSqliteDb&) = delete;
    CSqliteDb& operator=(const CSqliteDb&) = delete;

    void Exec(const std::string& sql);
    CSqliteStatement Prepare(const std::string& sql);
    std::int64_t Scalar(const std::string& sql);

private:
    sqlite3* m_db = nullptr;
};
