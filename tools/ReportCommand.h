#pragma once

#include "CommandOptions.h"
#include "ToolStatus.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace FILEEXTENT_RESTORE
{
class CFileExtentContainerItemRestoreReport;
}

// `fileextentctl report`: the items of a restore database, read through the restore facade,
// as a table, JSON or CSV. It never creates or changes a database.
class CReportCommand
{
public:
    explicit CReportCommand(CLI::App& parent);

    bool IsChosen() const { return m_app->parsed(); }
    CToolStatus Run();

private:
    struct CRow
    {
        std::string Path;
        unsigned int Version = 0;
        std::string Status;
        unsigned int ErrorCode = 0;
        std::uint64_t ExtentsDone = 0;
        std::uint64_t ExtentsTotal = 0;
        std::string RestoredPath;
        int TaskId = 0;
        std::uint64_t Attributes[5] = {};
        bool DeleteItem = false;
        bool RenameItem = false;
        std::string NewName;
    };

    CToolStatus Collect(const std::string& directory, std::string& dbPath, std::vector<CRow>& rows);
    bool Wanted(const FILEEXTENT_RESTORE::CFileExtentContainerItemRestoreReport& report) const;
    static CRow MakeRow(const std::string& path, unsigned int version,
                        const FILEEXTENT_RESTORE::CFileExtentContainerItemRestoreReport& report);
    void Write(const std::string& dbPath, const std::vector<CRow>& rows) const;
    void WriteJson(const std::string& dbPath, const std::vector<CRow>& rows) const;

    CLI::App* m_app;
    std::string m_directory;
    CLI::Option* m_taskOption = nullptr;
    int m_task = 0;
    int m_status = -1;
    std::uint64_t m_limit = 0;
    CommandOptions::OutputFormat m_format = CommandOptions::OutputFormat::Table;
    int m_verbosity = 0;
};
