#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Runs competing measurements in rounds: every round runs each of them once, starting with a
// different one each round, so that drift and neighbours on a shared machine weigh on all alike.
// The very first round starts with the first contestant. Ratios are the median of the per-round
// ratios.
class CRounds
{
public:
    // What one run measured: its timed seconds and the units (events, records) they cover.
    struct Sample
    {
        double seconds = 0;
        double units = 1;
    };
    typedef std::function<Sample()> Run;

    explicit CRounds(std::string title);

    // Returns the contestant's index.
    std::size_t Add(std::string name, Run run);
    // Rounds that are run but not kept come first: caches, allocators and files warm up.
    void RunRounds(int rounds, int warmups = 0);

    int Rounds() const { return m_rounds; }
    // Median seconds per unit.
    double PerUnit(std::size_t contestant) const;
    // Median over rounds of numerator's per-unit cost divided by denominator's.
    double Ratio(std::size_t numerator, std::size_t denominator) const;

private:
    struct Contestant
    {
        std::string name;
        Run run;
        std::vector<double> perUnit;
    };

    std::string m_title;
    std::vector<Contestant> m_contestants;
    int m_rounds = 0;
};
