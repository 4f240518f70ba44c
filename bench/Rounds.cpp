#include "Rounds.h"

#include "Stopwatch.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace
{
double Median(std::vector<double> values)
{
    if (values.empty())
        throw std::logic_error("median of no samples");
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}
} // namespace

CRounds::CRounds(std::string title) : m_title(std::move(title)) {}

std::size_t CRounds::Add(std::string name, Run run)
{
    m_contestants.push_back({std::move(name), std::move(run), {}});
    return m_contestants.size() - 1;
}

void CRounds::RunRounds(int rounds, int warmups)
{
    const CStopwatch elapsed;
    const std::size_t count = m_contestants.size();
    for (int round = -warmups; round < rounds; ++round)
    {
        for (std::size_t turn = 0; turn < count; ++turn)
        {
            Contestant& contestant = m_contestants[(turn + static_cast<std::size_t>(round + warmups)) % count];
            const Sample sample = contestant.run();
            if (round >= 0)
                contestant.perUnit.push_back(sample.seconds / sample.units);
        }
    }
    m_rounds += rounds;
    std::fprintf(stderr, "  %-58s %2d rounds %6.1f s\n", m_title.c_str(), rounds, elapsed.Seconds());
}

double CRounds::PerUnit(std::size_t contestant) const
{
    return Median(m_contestants.at(contestant).perUnit);
}

double CRounds::Ratio(std::size_t numerator, std::size_t denominator) const
{
    const std::vector<double>& top = m_contestants.at(numerator).perUnit;
    const std::vector<double>& bottom = m_contestants.at(denominator).perUnit;
    std::vector<double> ratios;
    for (std::size_t round = 0; round < top.size() && round < bottom.size(); ++round)
        ratios.push_back(top[round] / bottom[round]);
    return Median(ratios);
}
