#pragma once

#include "crash/CrashPlan.h"

#include <cstdint>

class CFileExtentRecallDBManager;

// Recalls: a file-recall event per file, its container event, its extents in a random order
// with one attribute change among them, and a final status. Some recalls fail, some never finish.
class RecallCrashPlan : public CrashPlan
{
public:
    explicit RecallCrashPlan(std::uint64_t seed);

    std::string DatabaseName() const override { return "FileExtentRecall.db"; }
    std::string TableName() const override { return "RecalledItems"; }
    std::string RowsSql() const override;
    CZuError Run(const std::string& directory, std::size_t mark, Hooks& hooks) const override;
    Row Settled(std::size_t file) const override { return Image(file, EventsOf(file)); }
    std::string CheckThroughFacade(const std::string& directory) const override;

private:
    enum Kind
    {
        FileRecall,
        Container,
        Extent,
        Attributes,
        Status,
    };
    struct Step
    {
        Kind kind;
        std::uint64_t extent;
    };
    struct File
    {
        std::string path;
        std::uint64_t extents;
        std::string stub;
        std::uint32_t attributes[2];
        int status; // 3 (PROGRESSING) when the recall never finishes
        std::uint32_t errCode;
        std::vector<Step> steps;
    };

    void AddRecalledFile(std::mt19937_64& random, std::size_t index);
    CZuError Apply(CFileExtentRecallDBManager& manager, const File& file, const Step& step) const;
    // A restarted host leaves alone the recalls that already ended.
    std::vector<bool> EndedRecalls(CFileExtentRecallDBManager& manager) const;

    std::vector<File> m_files;
};
