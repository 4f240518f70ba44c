#pragma once

#include "foundation/AutoLock.h"
#include "foundation/ErrorPropagation.h"
#include "foundation/FXCriticalSection.h"
#include "foundation/FXLockableResource.h"
#include "foundation/KtCriticalSection.h"
#include "foundation/Log.h"
#include "foundation/MakeSharedNothrow.h"
#include "foundation/StringCompare.h"
#include "foundation/TimeInterval.h"
#include "foundation/TimeStamp.h"
#include "platform/ZuUtils/ZuUtils.h"
