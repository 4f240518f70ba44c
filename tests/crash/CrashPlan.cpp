#include "crash/CrashPlan.h"

#include "foundation/ErrorPropagation.h"

#include <algorithm>

std::size_t CrashPlan::FloorAt(std::size_t file, std::size_t mark) const
{
    std::size_t count = 0;
    for (std::size_t index = 0; index < mark && index < m_events.size(); ++index)
        if (m_events[index].file == file)
            ++count;
    return count;
}

std::size_t CrashPlan::FlushesFrom(std::size_t mark) const
{
    const auto from = m_flushAfter.begin() + static_cast<std::ptrdiff_t>(std::min(mark, m_flushAfter.size()));
    return static_cast<std::size_t>(std::count(from, m_flushAfter.end(), true));
}

std::size_t CrashPlan::AddFile(const std::string& key)
{
    m_keys.push_back(key);
    m_images.emplace_back();
    return m_keys.size() - 1;
}

void CrashPlan::Interleave(std::mt19937_64& random, std::size_t openFiles, std::size_t meanEventsPerFlush)
{
    std::vector<std::size_t> open;
    std::vector<std::size_t> next(m_keys.size(), 0);
    std::size_t waiting = 0;
    std::bernoulli_distribution flushHere(1.0 / static_cast<double>(std::max<std::size_t>(meanEventsPerFlush, 1)));
    while (waiting < m_keys.size() || !open.empty())
    {
        while (open.size() < openFiles && waiting < m_keys.size())
            open.push_back(waiting++);
        std::size_t slot = std::uniform_int_distribution<std::size_t>(0, open.size() - 1)(random);
        std::size_t file = open[slot];
        if (next[file] < m_images[file].size())
        {
            m_events.push_back(Event{file, next[file]++});
            m_flushAfter.push_back(flushHere(random));
        }
        if (next[file] == m_images[file].size())
            open.erase(open.begin() + static_cast<std::ptrdiff_t>(slot));
    }
    if (!m_flushAfter.empty())
        m_flushAfter.back() = true;
}

CZuError CrashPlan::RunEvents(std::size_t mark, Hooks& hooks, const std::function<CZuError(const Event&)>& apply,
                              const std::function<CZuError()>& flush) const
{
    for (std::size_t index = mark; index < m_events.size(); ++index)
    {
        FX_RETURN_IF_ERROR(apply(m_events[index]));
        if (!m_flushAfter[index])
            continue;
        hooks.EnterPass();
        CZuError error = flush();
        hooks.LeavePass();
        FX_RETURN_IF_ERROR(error);
        hooks.Flushed(index + 1);
    }
    return CZuError::Success();
}
