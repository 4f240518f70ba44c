#pragma once

#include "platform/ZuUtils/ZuError.h"

#include <cstddef>
#include <functional>
#include <random>
#include <string>
#include <vector>

// A restore or a recall fixed by a seed: events over files in an interleaved order, the points
// where the host flushes, and the row each file's table row holds after each of its events.
// A run can start at any mark (the number of events already flushed), as a host restarting
// after a crash would, and may be killed anywhere.
class CrashPlan
{
public:
    // What a run tells the one who watches it. Hooks may end the process.
    class Hooks
    {
    public:
        virtual ~Hooks() = default;
        // Around every call that writes rows by itself: Flush and the closing pass.
        virtual void EnterPass() {}
        virtual void LeavePass() {}
        // Flush returned success with every event before `mark` applied.
        virtual void Flushed(std::size_t mark) { (void)mark; }
    };

    typedef std::vector<std::string> Row;

    virtual ~CrashPlan() = default;

    virtual std::string DatabaseName() const = 0;
    virtual std::string TableName() const = 0;
    // Every row of the table; the first column is the file's key, the others compare with Row.
    virtual std::string RowsSql() const = 0;
    // Applies the events from `mark` on, flushing where the plan says, then the closing pass.
    virtual CZuError Run(const std::string& directory, std::size_t mark, Hooks& hooks) const = 0;
    // The row once the restart completed; the table may hold it as soon as every event was flushed.
    virtual Row Settled(std::size_t file) const = 0;
    // What the facade itself says once the restart completed; empty when it agrees with the plan.
    virtual std::string CheckThroughFacade(const std::string& directory) const = 0;

    std::size_t EventCount() const { return m_events.size(); }
    std::size_t FileCount() const { return m_keys.size(); }
    const std::string& Key(std::size_t file) const { return m_keys[file]; }
    std::size_t EventsOf(std::size_t file) const { return m_images[file].size(); }
    // The row after the file's first `count` events (count >= 1).
    const Row& Image(std::size_t file, std::size_t count) const { return m_images[file][count - 1]; }
    // How many of the file's events come before `mark`.
    std::size_t FloorAt(std::size_t file, std::size_t mark) const;
    std::size_t FlushesFrom(std::size_t mark) const;

protected:
    struct Event
    {
        std::size_t file;
        std::size_t ordinal; // 0 for the file's first event
    };

    std::size_t AddFile(const std::string& key);
    void AddImage(std::size_t file, const Row& row) { m_images[file].push_back(row); }
    // Merges the files' events, a few files open at a time as a host streams them, and
    // chooses flush points; the last event always flushes.
    void Interleave(std::mt19937_64& random, std::size_t openFiles, std::size_t meanEventsPerFlush);

    const Event& EventAt(std::size_t index) const { return m_events[index]; }
    bool FlushesAfter(std::size_t index) const { return m_flushAfter[index]; }
    // Applies events [mark, end) through `apply`, flushing at the plan's points.
    CZuError RunEvents(std::size_t mark, Hooks& hooks, const std::function<CZuError(const Event&)>& apply,
                       const std::function<CZuError()>& flush) const;

private:
    std::vector<std::string> m_keys;
    std::vector<std::vector<Row>> m_images;
    std::vector<Event> m_events;
    std::vector<bool> m_flushAfter;
};
