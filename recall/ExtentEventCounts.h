#pragma once

#include "foundation/AsciiNoCase.h"

#include <string>
#include <unordered_map>

namespace FILEEXTENTRECALLDB
{
// Per path, the extent events since the path's record was last written for them, keyed as the
// table keys its rows: a path in two letter cases is one file. The entry of the last path counted
// is kept at hand, so that the run of one file's events costs no hash per event. Not locked: its
// owner guards it.
class CExtentEventCounts
{
public:
    // Counts one event of the path; true, with the count started again, when it reached `every`.
    bool CountReaching(const std::string& path, unsigned char every);
    void Erase(const std::string& path);

private:
    unsigned char& CountOf(const std::string& path);

    std::unordered_map<std::string, unsigned char, CAsciiNoCase::Hash, CAsciiNoCase::Equal> m_counts;
    // Entries of an unordered map stay where they are until they are erased.
    unsigned char* m_last = nullptr;
    std::string m_lastPath;
};
} // namespace FILEEXTENTRECALLDB
