#pragma once

#include "platform/ZuUtils/ZuError.h"

#include <string>

// The benchmark measures only runs that worked: a library error stops it.
void CheckLibrary(const CZuError& error, const std::string& what);
