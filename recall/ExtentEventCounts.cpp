#include "recall/ExtentEventCounts.h"

namespace FILEEXTENTRECALLDB
{
bool CExtentEventCounts::CountReaching(const std::string& path, unsigned char every)
{
    unsigned char& count = CountOf(path);
    // The count never passes `every`, so the narrow counter cannot wrap.
    if (++count < every)
        return false;
    count = 0;
    return true;
}

void CExtentEventCounts::Erase(const std::string& path)
{
    m_counts.erase(path);
    m_last = nullptr;
}

unsigned char& CExtentEventCounts::CountOf(const std::string& path)
{
    // The same bytes are the same entry; another spelling of the path is looked up.
    if (m_last && path == m_lastPath)
        return *m_last;
    unsigned char& count = m_counts[path];
    m_last = nullptr;
    m_lastPath = path;
    m_last = &count;
    return count;
}
} // namespace FILEEXTENTRECALLDB
