#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

// One prepared statement of a CSqliteDb. Failures throw.
class CSqliteStatement
{
public:
    CSqliteStatement(sqlite3* db, const std::string& sql);
    ~CSqliteStatement();

    CSqliteStatement(CSqliteStatement&& other) noexcept;
    CSqliteStatement(const CSqliteStatement&) = delete;
    CSqliteStatement& operator=(const CSqliteStatement&) = delete;
    CSqliteStatement& operator=(CSqliteStatement&&) = delete;

    // Binds are static texts: the caller keeps them alive until the next Reset.
    void BindText(int index, const std::string& text);
    void BindBlob(int index, const std::string& bytes);
    void BindInt(int index, std::int64_t value);
    // True while a row is available; false when done.
    bool Step();
    // Runs a statement that returns no row, then makes it ready for the next binds.
    void Run();
    void Reset();

    std::int64_t Int(int column) const;
    // Copies a text or blob column.
    std::string Bytes(int column) const;

private:
    void Check(int rc, const char* what) const;

    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
};
