#pragma once

#include "ToolStatus.h"

#include <string>

// The directory a command works in: checked (and for writers created) before any library call,
// so a bad --dir is one clear line instead of a failure deep inside SQLite.
class CToolDirectory
{
public:
    explicit CToolDirectory(std::string path);

    // The directory must exist or be creatable (its parent must exist), and a file must be
    // creatable in it.
    CToolStatus PrepareForWriting() const;
    // The directory must exist.
    CToolStatus CheckReadable() const;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const;

    // Removes a database file with its -wal, -shm and -journal companions. Absent files are fine.
    CToolStatus RemoveDatabaseFiles(const std::string& name) const;

private:
    CToolStatus CheckIsDirectory() const;
    CToolStatus CheckWritable() const;

    std::string m_path;
};
