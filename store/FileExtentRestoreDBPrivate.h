#pragma once

namespace FILEEXTENT_RESTORE
{
// The state of a CFileExtentRestoreDB: the application version, as given or as read from the file.
struct CFileExtentRestoreDBPrivate
{
    explicit CFileExtentRestoreDBPrivate(unsigned int version) : ApplicationDBVersion(version) {}

    unsigned int ApplicationDBVersion;
};
} // namespace FILEEXTENT_RESTORE
