#include "platform/ZuSQLite/DatabaseBase.h"

#include "platform/ZuSQLite/SQLite3Exception.h"
#include "platform/ZuSQLite/SQLite3Query.h"
#include "platform/ZuSQLite/SQLite3Statement.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/FXPath.h"

#include <new>

namespace FX
{
namespace
{
// Runs an engine call and turns what it throws into the returned error, located at the caller
// (made only then).
template <class Fn>
CZuError Guarded(Fn&& fn, const char* file = __builtin_FILE(), const char* function = __builtin_FUNCTION(),
                 int line = __builtin_LINE())
{
    try
    {
        fn();
        return CZuError::Success();
    }
    catch (const CSQLite3Exception& e)
    {
        return FXErrorUtil::ErrorSQLite(FXCodeLocation(FXCodeLocation::BaseName(file), function, line),
                                        static_cast<unsigned int>(e.errorCode()), "%s", e.what());
    }
    catch (const std::bad_alloc&)
    {
        return FXErrorUtil::ErrorWin32(FXCodeLocation(FXCodeLocation::BaseName(file), function, line),
                                       ERROR_OUTOFMEMORY);
    }
}
} // namespace

CDatabaseBase::CDatabaseBase(int /*flags*/)
{
    m_db.SetProgressHandler(&CDatabaseBase::OnProgress, this);
}

CDatabaseBase::~CDatabaseBase()
{
    m_db.Close();
}

int CDatabaseBase::OnProgress(void* context)
{
    return static_cast<CDatabaseBase*>(context)->ProgressHandler();
}

CZuError CDatabaseBase::OpenDatabase()
{
    return Guarded([&] { m_db.Open(); });
}

int CDatabaseBase::ProgressHandler()
{
    return 0;
}

CZuError CDatabaseBase::CloseDatabase()
{
    m_db.Close();
    return CZuError::Success();
}

CZuError CDatabaseBase::SetDatabasePath(const std::string& directory)
{
    m_directory = directory;
    UpdateFilePath();
    return CZuError::Success();
}

CZuError CDatabaseBase::SetDatabaseName(const std::string& fileName)
{
    m_fileName = fileName;
    UpdateFilePath();
    return CZuError::Success();
}

void CDatabaseBase::UpdateFilePath()
{
    std::string path = m_directory;
    FXPath::Append(path, m_fileName, 0);
    m_db.SetFilePath(path);
}

CZuError CDatabaseBase::CreateTable(const std::string& name, const std::string& columns)
{
    return Execute("CREATE TABLE IF NOT EXISTS " + name + " " + columns + ";");
}

CZuError CDatabaseBase::DeleteTable(const std::string& name)
{
    return Execute("DROP TABLE IF EXISTS " + name + ";");
}

bool CDatabaseBase::DoesTableExist(const std::string& name)
{
    bool exists = false;
    CZuError err = Guarded([&] { exists = m_db.TableExists(name); });
    return !err.IsError() && exists;
}

CZuError CDatabaseBase::DeleteAllRows(const std::string& name)
{
    return Execute("DELETE FROM " + name + ";");
}

std::string CDatabaseBase::SqlSafeString(const std::string& text)
{
    std::string safe;
    safe.reserve(text.size());
    for (char c : text)
    {
        safe += c;
        if (c == '\'')
            safe += '\'';
    }
    return safe;
}

CZuError CDatabaseBase::Execute(const std::string& sql)
{
    int changed = 0;
    return Execute(sql, changed);
}

CZuError CDatabaseBase::Execute(const std::string& sql, int& changed)
{
    changed = 0;
    return Guarded([&] { changed = m_db.ExecDML(sql); });
}

CZuError CDatabaseBase::Query(const std::string& sql, boost::shared_ptr<CSQLite3Query>& query)
{
    return Guarded([&] { query = m_db.ExecQuery(sql); });
}

CZuError CDatabaseBase::BeginTransaction()
{
    return Guarded([&] { m_db.BeginTransaction(); });
}

CZuError CDatabaseBase::CommitTransaction()
{
    return Guarded([&] { m_db.CommitTransaction(); });
}

void CDatabaseBase::RollbackTransaction()
{
    m_db.RollbackTransaction();
}

bool CDatabaseBase::IsInTransaction()
{
    return m_db.IsInTransaction();
}

std::int64_t CDatabaseBase::GetMaxLength()
{
    std::int64_t length = 0;
    Guarded([&] { length = m_db.GetMaxLength(); });
    return length;
}

CZuError CDatabaseBase::CompileStatement(const std::string& sql, boost::shared_ptr<CSQLite3Statement>& statement)
{
    return Guarded([&] { statement = m_db.CompileStatement(sql); });
}
} // namespace FX
