#pragma once

#include "platform/KtLib/KtCriticalSectionH.h"
#include "platform/KtLib/bstring.h"
#include "platform/KtLib/ktsDatabuf.h"
