#pragma once

#include <string>
#include <vector>

// What the command line asked for: every scenario with its full rounds by default, "--quick" for
// three rounds each (a smoke run, not numbers to quote), "--only=N[,M]" for some scenarios.
class CBenchPlan
{
public:
    // Throws std::invalid_argument on an unknown argument.
    CBenchPlan(int argc, char** argv);

    bool Runs(int scenario) const;
    int Rounds(int full) const;
    bool Quick() const { return m_quick; }

private:
    bool m_quick = false;
    std::vector<int> m_only;
};
