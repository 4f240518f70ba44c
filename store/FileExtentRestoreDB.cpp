#include "store/FileExtentRestoreDB.h"

#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/FXFile.h"
#include "platform/ZuUtils/FXPath.h"
#include "platform/ZuUtils/FXString.h"
#include "store/FileExtentRestoreDBPrivate.h"
#include "store/StoreError.h"

#include <new>

const char* const FileExtentLocalDBName = "FileExtentRestore.db";
const char* const FileExtentRecallLocalDBName = "FileExtentRecall.db";

namespace FILEEXTENT_RESTORE
{

namespace
{
// A companion that outlived its database would be replayed into the next file at that path.
CZuError RemoveCompanion(const std::string& path)
{
    CZuError err = FXFile::RemoveFile(path);
    if (FXErrorUtil::IsWin32(err, ERROR_FILE_NOT_FOUND))
        return CZuError::Success();
    return err;
}
} // namespace

CFileExtentRestoreDB::CFileExtentRestoreDB(const std::string& directory, const std::string& fileName,
                                           unsigned int applicationDBVersion)
    : FX::CDatabaseBase(0), m_private(new (std::nothrow) CFileExtentRestoreDBPrivate(applicationDBVersion))
{
    // A constructor has no result: without memory for the path, the file cannot be opened later.
    try
    {
        SetDatabasePath(directory);
        SetDatabaseName(fileName);
    }
    catch (const std::bad_alloc&)
    {
    }
}

CFileExtentRestoreDB::~CFileExtentRestoreDB()
{
    CloseDB();
}

CZuError CFileExtentRestoreDB::OpenDB()
{
    CZuError err = OpenDatabase();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    err = GetApplicationDBVersionFromDB();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentRestoreDB::CloseDB()
{
    CZuError err = CloseDatabase();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

std::string CFileExtentRestoreDB::GetDBPath()
{
    std::string path = GetDatabasePath();
    FXPath::Append(path, GetDatabaseName(), 0);
    return path;
}

bool CFileExtentRestoreDB::DoesDBExist()
{
    return FXFile::DoesFileExist(GetDBPath());
}

CZuError CFileExtentRestoreDB::DeleteDB()
{
    CloseDB();
    const std::string path = GetDBPath();
    // The main file goes first: if it stays, its log must stay with it.
    CZuError err = FXFile::RemoveFile(path);
    if (!err.IsError())
        err = RemoveCompanion(path + "-wal");
    if (!err.IsError())
        err = RemoveCompanion(path + "-shm");
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

CZuError CFileExtentRestoreDB::DeleteTable(const std::string& name)
{
    CZuError err = FX::CDatabaseBase::DeleteTable(name);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    return CZuError::Success();
}

bool CFileExtentRestoreDB::DoesTableExist(const std::string& name)
{
    return FX::CDatabaseBase::DoesTableExist(name);
}

CZuError CFileExtentRestoreDB::RenameTable(const std::string& from, const std::string& to)
{
    CZuError err = Execute(FXString::Format("ALTER TABLE %s RENAME TO %s;", from.c_str(), to.c_str()));
    if (err.IsError())
        return CStoreError::WithMessage(
            err, FX_CODE_LOCATION,
            FXString::Format("Failed to rename table [%s] to [%s]", from.c_str(), to.c_str()));
    return CZuError::Success();
}

CZuError CFileExtentRestoreDB::DuplicateTable(const std::string& source, const std::string& destination)
{
    CZuError err = DeleteTable(destination);
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    err = Execute(FXString::Format("CREATE TABLE %s AS SELECT * FROM %s;", destination.c_str(), source.c_str()));
    if (err.IsError())
        return CStoreError::WithMessage(
            err, FX_CODE_LOCATION,
            FXString::Format("Failed to duplicate table [%s] to [%s]", source.c_str(), destination.c_str()));
    return CZuError::Success();
}

unsigned int CFileExtentRestoreDB::GetApplicationDBVersion() const
{
    return m_private ? m_private->ApplicationDBVersion : 0;
}

CZuError CFileExtentRestoreDB::ReadUserVersion()
{
    if (!m_private)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    return CStoreError::Guard([&] {
        boost::shared_ptr<FX::CSQLite3Query> query;
        CZuError err = Query("PRAGMA USER_VERSION;", query);
        if (err.IsError())
            return err.Push(FX_CODE_LOCATION);
        m_private->ApplicationDBVersion = static_cast<unsigned int>(query->GetIntField(0, 0));
        return CZuError::Success();
    });
}

CZuError CFileExtentRestoreDB::GetApplicationDBVersionFromDB()
{
    if (!m_private)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, ERROR_OUTOFMEMORY);
    const std::string setVersion = FXString::Format("PRAGMA USER_VERSION=%u;", m_private->ApplicationDBVersion);
    CZuError err = ReadUserVersion();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    if (m_private->ApplicationDBVersion != 0)
        return CZuError::Success();
    err = Execute(setVersion);
    if (!err.IsError())
        err = ReadUserVersion();
    if (err.IsError())
        return err.Push(FX_CODE_LOCATION);
    if (m_private->ApplicationDBVersion == 0)
        return FXErrorUtil::ErrorWin32(FX_CODE_LOCATION, 774, "Failed to set the DB version");
    return CZuError::Success();
}
} // namespace FILEEXTENT_RESTORE
