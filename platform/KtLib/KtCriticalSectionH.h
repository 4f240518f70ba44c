#pragma once

#include <mutex>

// The base library's plain (non-recursive) critical section.
class KtCriticalSectionH
{
public:
    KtCriticalSectionH();
    ~KtCriticalSectionH();

    KtCriticalSectionH(const KtCriticalSectionH&) = delete;
    KtCriticalSectionH& operator=(const KtCriticalSectionH&) = delete;

    // wait true blocks until held; false only tries. Returns whether it is held.
    bool enter(bool wait);
    void leave();

private:
    std::mutex m_mutex;
};
