#pragma once

#include "platform/ZuUtils/ZuError.h"

#include <string>

namespace FILEEXTENT_REDIS
{
// The Redis keys of one distributed restore (a job): its records stream, the stream where the
// collector sets aside what it could not take, and each agent's run counter.
class CFileExtentStreamKeys
{
public:
    // The consumer group every collector of a job reads in.
    static constexpr const char* GroupName = "collectors";

    // ERROR_INVALID_PARAMETER unless job is a valid id.
    static CZuError ForJob(const std::string& job, CFileExtentStreamKeys& keys);
    // Job, agent and consumer ids: 1 to 64 characters of A-Z a-z 0-9 . _ -, so that no id can
    // reach into another key. ERROR_INVALID_PARAMETER otherwise, naming what (e.g. "agent id").
    static CZuError CheckId(const std::string& id, const char* what);
    static bool IsValidId(const std::string& id);

    const std::string& Job() const { return m_job; }
    // fileextent:<job>
    const std::string& Records() const { return m_records; }
    // fileextent:<job>:dead
    const std::string& DeadLetters() const { return m_deadLetters; }
    // fileextent:<job>:agent:<agent>:incarnation; the agent id must be valid.
    std::string Incarnation(const std::string& agentId) const;

private:
    std::string m_job;
    std::string m_records;
    std::string m_deadLetters;
};
} // namespace FILEEXTENT_REDIS
