#pragma once

#include "restore/FileExtentRestoreHandler.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CRestoreWorkload;

// A host that restores through the library, as an agent does: a container report per file, one
// extent report per file whose extent number changes per event, every extent SUCCESS.
class CLibraryRestoreHost
{
public:
    void Initialize(const std::string& dbDirectory,
                    const FILEEXTENT_RESTORE::CFileExtentRestoreOptions& options = {});
    // A distributed restore to a collector that counts the messages and accepts every one.
    void InitializeDistributed(const std::string& dbDirectory, unsigned int block);

    void OnFile(const CRestoreWorkload& workload, std::size_t file);
    void OnExtent(const CRestoreWorkload& workload, std::size_t file, std::size_t extent);

    void Flush();
    void UpdateStatus();
    void DeInitialize();
    // How a restore ends: Flush, UpdateStatus, DeInitialize.
    void Finish();

    // A whole ordinary restore into dbDirectory, Initialize to DeInitialize, timed; then its table is
    // checked to hold every file restored.
    static double TimeCheckedRestore(const CRestoreWorkload& workload, const std::string& dbDirectory,
                                     const FILEEXTENT_RESTORE::CFileExtentRestoreOptions& options = {});
    // Options that write a new file's row with the next write-back pass.
    static FILEEXTENT_RESTORE::CFileExtentRestoreOptions WithNextPass();

    FILEEXTENT_RESTORE::CFileExtentRestoreHandler& Handler() { return m_handler; }
    std::uint64_t MessagesSent() const { return m_messages; }

private:
    FILEEXTENT_RESTORE::CFileExtentRestoreHandler m_handler;
    FILEEXTENT_RESTORE::CFileExtentExtentItemRestoreReportPtr m_extent;
    bool m_distributed = false;
    std::uint64_t m_messages = 0;
};
