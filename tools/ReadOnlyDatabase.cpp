#include "ReadOnlyDatabase.h"

#include <sqlite3.h>

#include <fstream>
#include <sys/stat.h>

namespace
{
const int BusyTimeoutMs = 5000;

bool Exists(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

// Bytes 18 and 19 of the header are 2 in a database in WAL mode.
bool IsWalDatabase(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    char header[20] = {};
    file.read(header, sizeof(header));
    return file.gcount() == static_cast<std::streamsize>(sizeof(header)) && header[18] == 2 && header[19] == 2;
}

// A path as a "file:" URI; the characters a URI gives a meaning to are escaped.
std::string FileUri(const std::string& path, const char* parameters)
{
    static const char Hex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : path)
    {
        if (c == '%' || c == '?' || c == '#')
            uri += std::string("%") + Hex[c >> 4] + Hex[c & 15];
        else
            uri += static_cast<char>(c);
    }
    return uri + "?" + parameters;
}
} // namespace

CReadOnlyDatabase::~CReadOnlyDatabase()
{
    Close();
}

void CReadOnlyDatabase::Close()
{
    sqlite3_close(m_db);
    m_db = nullptr;
}

CToolStatus CReadOnlyDatabase::Failure(const std::string& what) const
{
    const std::string cause = m_db ? sqlite3_errmsg(m_db) : "out of memory";
    return CToolStatus::Failure(what + " '" + m_path + "': " + cause);
}

CToolStatus CReadOnlyDatabase::Open(const std::string& path)
{
    Close();
    m_path = path;
    if (!Exists(path))
        return CToolStatus::Failure("cannot open '" + path + "': no such file");
    if (IsWalDatabase(path) && (!Exists(path + "-wal") || !Exists(path + "-shm")))
        return OpenAs(FileUri(path, "immutable=1"), true);
    const CToolStatus readOnly = OpenAs(FileUri(path, "mode=ro"), false);
    if (readOnly.IsOk())
        return readOnly;
    // Read-only media, or a log index that cannot be shared: the file as it stands is still readable.
    return OpenAs(FileUri(path, "immutable=1"), true).IsOk() ? CToolStatus::Ok() : readOnly;
}

// The open succeeds lazily; the first read of the schema is what tells whether the file can be read.
CToolStatus CReadOnlyDatabase::OpenAs(const std::string& uri, bool immutable)
{
    Close();
    m_immutable = immutable;
    const int rc = sqlite3_open_v2(uri.c_str(), &m_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    if (rc != SQLITE_OK)
    {
        const CToolStatus status = Failure("cannot open");
        Close();
        return status;
    }
    sqlite3_busy_timeout(m_db, BusyTimeoutMs);
    std::set<std::string> tables;
    const CToolStatus status = ReadTables(tables);
    if (!status.IsOk())
        Close();
    return status;
}

CToolStatus CReadOnlyDatabase::ReadTables(std::set<std::string>& tables)
{
    return ForEachRow("SELECT name FROM sqlite_master WHERE type='table';", [&tables](sqlite3_stmt* row) {
        tables.insert(reinterpret_cast<const char*>(sqlite3_column_text(row, 0)));
        return true;
    });
}

CToolStatus CReadOnlyDatabase::ForEachRow(const std::string& sql, const std::function<bool(sqlite3_stmt*)>& onRow)
{
    if (!m_db)
        return CToolStatus::Failure("cannot read '" + m_path + "': not open");
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        return Failure("cannot read");
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW && onRow(statement))
    {
    }
    const CToolStatus status = rc == SQLITE_ROW || rc == SQLITE_DONE ? CToolStatus::Ok() : Failure("cannot read");
    sqlite3_finalize(statement);
    return status;
}

std::string CReadOnlyDatabase::Text(sqlite3_stmt* row, int column)
{
    const unsigned char* text = sqlite3_column_text(row, column);
    return text ? std::string(reinterpret_cast<const char*>(text), sqlite3_column_bytes(row, column)) : std::string();
}
