#pragma once

#include "ToolStatus.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Agent processes of one distributed restore: each a run of this program with its own arguments,
// its output kept in files, all started at once and waited for.
class CAgentFleet
{
public:
    struct CAgent
    {
        std::vector<std::string> Arguments; // after the program's name
        std::string OutputPath;             // stdout, the agent's summary
        std::string ErrorPath;              // stderr
    };

    // Starts every agent, waits for all, and fails with the first one that did not exit 0
    // (its last line of stderr).
    static CToolStatus Run(const std::vector<CAgent>& agents);
    // The "name  value" lines of a summary an agent wrote.
    static std::map<std::string, std::string> ReadSummary(const std::string& path);

private:
    static CToolStatus Start(const CAgent& agent, int& pid);
    static std::string LastLineOf(const std::string& path);
};
