#pragma once

#include "platform/KtLib/KtCriticalSectionH.h"
