#include "CollectProgress.h"

#include "transport/redis/FileExtentStreamKeys.h"
#include "transport/redis/RedisAddress.h"
#include "transport/redis/RedisConnection.h"
#include "transport/redis/RedisGroupStatisticsReader.h"

#include <unistd.h>

#include <cstdio>

using namespace FILEEXTENT_REDIS;

namespace
{
const std::chrono::seconds LineInterval(1);
const std::chrono::milliseconds StatisticsTimeout(500);
} // namespace

CCollectProgress::CCollectProgress(const std::string& address, const CFileExtentStreamKeys& keys)
    : m_enabled(::isatty(STDERR_FILENO) == 1), m_keys(new CFileExtentStreamKeys(keys)),
      m_lastLine(std::chrono::steady_clock::now())
{
    CRedisAddress parsed;
    if (m_enabled && !CRedisAddress::Parse(address, parsed).IsError())
        m_connection.reset(new CRedisConnection(parsed, StatisticsTimeout));
}

CCollectProgress::~CCollectProgress()
{
    Finish();
}

void CCollectProgress::Stored(std::size_t entries)
{
    m_entries += entries;
    const auto now = std::chrono::steady_clock::now();
    if (m_enabled && now - m_lastLine >= LineInterval)
        Draw(now);
}

void CCollectProgress::Draw(std::chrono::steady_clock::time_point now)
{
    const double seconds = std::chrono::duration<double>(now - m_lastLine).count();
    const double rate = static_cast<double>(m_entries - m_entriesAtLastLine) / seconds;
    std::string group = "lag ?";
    CRedisGroupStatistics statistics;
    if (m_connection && !CRedisGroupStatisticsReader::Read(*m_connection, *m_keys, statistics).IsError())
        group = "lag " + (statistics.Lag ? std::to_string(*statistics.Lag) : std::string("?")) + ", pending " +
                std::to_string(statistics.Pending);
    std::fprintf(stderr, "\r\033[Kcollected %llu entries, %.0f entries/s, %s", static_cast<unsigned long long>(m_entries),
                 rate, group.c_str());
    std::fflush(stderr);
    m_lastLine = now;
    m_entriesAtLastLine = m_entries;
    m_drawn = true;
}

void CCollectProgress::Finish()
{
    if (!m_drawn)
        return;
    std::fputc('\n', stderr);
    m_drawn = false;
}
