#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace FILEEXTENT_REDIS
{
class CRedisConnection;
class CFileExtentStreamKeys;
} // namespace FILEEXTENT_REDIS

// The collector's progress line on stderr, redrawn at most once a second and only when stderr is
// a terminal: entries stored, entries per second since the last line, and the group's lag and
// pending entries, read over a connection of its own.
class CCollectProgress
{
public:
    CCollectProgress(const std::string& address, const FILEEXTENT_REDIS::CFileExtentStreamKeys& keys);
    ~CCollectProgress();
    CCollectProgress(const CCollectProgress&) = delete;
    CCollectProgress& operator=(const CCollectProgress&) = delete;

    void Stored(std::size_t entries);
    void Finish();

private:
    void Draw(std::chrono::steady_clock::time_point now);

    const bool m_enabled;
    std::unique_ptr<FILEEXTENT_REDIS::CRedisConnection> m_connection;
    std::unique_ptr<FILEEXTENT_REDIS::CFileExtentStreamKeys> m_keys;
    std::uint64_t m_entries = 0;
    std::uint64_t m_entriesAtLastLine = 0;
    std::chrono::steady_clock::time_point m_lastLine;
    bool m_drawn = false;
};
