#include "foundation/KtCriticalSection.h"

#include <new>
#include <stdexcept>

KtCriticalSection::KtCriticalSection() : m_section(new (std::nothrow) KtCriticalSectionH())
{
    if (!m_section)
        throw std::runtime_error("Not enough memory to initialize KtCriticalSection");
}

KtCriticalSection::~KtCriticalSection() = default;

bool KtCriticalSection::enter(bool wait)
{
    return m_section->enter(wait);
}

void KtCriticalSection::leave()
{
    m_section->leave();
}
