#pragma once

// FXString::Compare and FXString::CompareNoCase (strcmp and strcasecmp) come with the utility library.
#include "platform/ZuUtils/FXString.h"
