#pragma once

#include "platform/KtLib/KtCriticalSectionH.h"

#include <memory>

// A critical section over the base library's object.
class KtCriticalSection
{
public:
    // Throws std::runtime_error("Not enough memory to initialize KtCriticalSection") when the object cannot be made.
    KtCriticalSection();
    ~KtCriticalSection();

    KtCriticalSection(const KtCriticalSection&) = delete;
    KtCriticalSection& operator=(const KtCriticalSection&) = delete;

    bool enter(bool wait);
    void leave();

private:
    std::unique_ptr<KtCriticalSectionH> m_section;
};

// Scoped guard over a KtCriticalSection (which may be null).
class KtCriticalSectionLock
{
public:
    explicit KtCriticalSectionLock(KtCriticalSection* section) : m_section(section)
    {
        if (m_section)
            m_section->enter(true);
    }
    ~KtCriticalSectionLock()
    {
        if (m_section)
            m_section->leave();
    }

    KtCriticalSectionLock(const KtCriticalSectionLock&) = delete;
    KtCriticalSectionLock& operator=(const KtCriticalSectionLock&) = delete;

private:
    KtCriticalSection* m_section;
};
