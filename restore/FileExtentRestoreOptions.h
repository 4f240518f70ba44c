#pragma once

namespace FILEEXTENT_RESTORE
{
// How a restore handler writes, beyond the arguments every Initialize takes.
struct CFileExtentRestoreOptions
{
    // False (the default): a file's row is written when its container report arrives, in a
    // transaction of its own, so the table, other connections and a crash see it at once.
    // True: the row goes with the next write-back pass (a Flush, an eviction, DeInitialize),
    // many files to one commit; until then only this handler sees the file.
    bool WriteNewRecordsWithNextPass = false;
};
} // namespace FILEEXTENT_RESTORE
