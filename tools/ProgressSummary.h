#pragma once

#include "CommandOptions.h"
#include "RestoreDatabaseReader.h"

#include <cstdint>
#include <map>
#include <ostream>
#include <string>

// How far a restore has come, per task and in total: files by status, extents reported of
// extents expected, and the share done.
class CProgressSummary
{
public:
    struct CCounts
    {
        std::uint64_t Files = 0;
        std::uint64_t ByStatus[4] = {}; // SUCCESS, FAILED, SKIPPED, PROGRESSING
        std::uint64_t ExtentsDone = 0;
        std::uint64_t ExtentsExpected = 0;

        void Add(const CRestoreRow& row);
        // Rounded down to a tenth, so 100.0 means every extent; 100 when none is expected.
        double Percent() const;
    };

    void Add(const CRestoreRow& row);
    const CCounts& Total() const { return m_total; }
    const std::map<std::int32_t, CCounts>& Tasks() const { return m_tasks; }

    void Write(CommandOptions::OutputFormat format, const std::string& dbPath, std::ostream& out) const;

private:
    void WriteTable(const std::string& dbPath, std::ostream& out) const;
    void WriteCsv(std::ostream& out) const;
    void WriteJson(const std::string& dbPath, std::ostream& out) const;

    std::map<std::int32_t, CCounts> m_tasks;
    CCounts m_total;
};
