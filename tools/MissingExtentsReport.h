#pragma once

#include "CommandOptions.h"
#include "RestoreDatabaseReader.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

// The files that lack extents, each with its missing extents as compact ranges ("0-3,7,9-12").
class CMissingExtentsReport
{
public:
    // Keeps the row when it lacks an extent; answers whether it did.
    bool Add(const CRestoreRow& row);
    std::size_t Count() const { return m_items.size(); }

    void Write(CommandOptions::OutputFormat format, const std::string& dbPath, std::ostream& out) const;

    // The clear bits of the bitmap as ascending ranges; `missing` receives how many there are.
    static std::string Ranges(const FILEEXTENT_RESTORE::CExtentBitmap& bitmap, std::uint64_t& missing);

private:
    struct CItem
    {
        std::string Path;
        std::uint32_t Version = 0;
        std::string Status;
        std::int32_t TaskId = 0;
        std::uint64_t Extents = 0;
        std::uint64_t Missing = 0;
        std::string Ranges;
    };

    void WriteJson(const std::string& dbPath, std::ostream& out) const;

    std::vector<CItem> m_items;
};
