#include "LibraryCheck.h"

#include <stdexcept>

void CheckLibrary(const CZuError& error, const std::string& what)
{
    if (error.IsError())
        throw std::runtime_error(what + " failed: " + error.AsString());
}
