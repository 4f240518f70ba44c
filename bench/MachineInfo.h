#pragma once

#include <string>

// What the numbers were measured on, for the lines above the table.
class CMachineInfo
{
public:
    static std::string Describe();
};
