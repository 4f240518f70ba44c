#include "foundation/FXLockableResource.h"

#include <pthread.h>

void FXLockableResource::SetLockOwner()
{
    m_owner.store(static_cast<std::uint32_t>(pthread_self()), std::memory_order_relaxed);
}
