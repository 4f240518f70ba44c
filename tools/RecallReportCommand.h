#pragma once

#include "CommandOptions.h"
#include "ToolStatus.h"

#include "recall/FileExtentRecallReport.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>
#include <vector>

// `fileextentctl recall report`: the recalled files of a recall database, with their stub metadata
// and statistics decoded. The database is read past the library and never changed.
class CRecallReportCommand
{
public:
    explicit CRecallReportCommand(CLI::App& recall);

    bool IsChosen() const { return m_app->parsed(); }
    CToolStatus Run();

private:
    typedef FILEEXTENTRECALLDB::CFileExtentRecallFileReport CReport;

    CToolStatus Collect(std::string& dbPath, std::vector<CReport>& reports);
    void WriteTable(const std::string& dbPath, const std::vector<CReport>& reports) const;
    void WriteCsv(const std::vector<CReport>& reports) const;
    void WriteJson(const std::string& dbPath, const std::vector<CReport>& reports) const;

    CLI::App* m_app;
    std::string m_directory;
    int m_status = -1;
    std::uint64_t m_limit = 0;
    CommandOptions::OutputFormat m_format = CommandOptions::OutputFormat::Table;
};
