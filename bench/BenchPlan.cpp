#include "BenchPlan.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

CBenchPlan::CBenchPlan(int argc, char** argv)
{
    const std::string only = "--only=";
    for (int index = 1; index < argc; ++index)
    {
        const std::string argument = argv[index];
        if (argument == "--quick")
            m_quick = true;
        else if (argument.compare(0, only.size(), only) == 0)
        {
            std::istringstream list(argument.substr(only.size()));
            for (std::string item; std::getline(list, item, ',');)
                m_only.push_back(std::stoi(item));
        }
        else
            throw std::invalid_argument("usage: fileextent_bench [--quick] [--only=N[,M...]]  (unknown: " +
                                        argument + ")");
    }
}

bool CBenchPlan::Runs(int scenario) const
{
    return m_only.empty() || std::find(m_only.begin(), m_only.end(), scenario) != m_only.end();
}

int CBenchPlan::Rounds(int full) const
{
    return m_quick ? std::min(full, 3) : full;
}
