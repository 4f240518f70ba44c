#pragma once

#include <ostream>
#include <string>
#include <vector>

// The one table the benchmark prints: per row what ours cost, what the baseline cost, their ratio,
// and whether the ratio meets its target.
class CRatioTable
{
public:
    struct Target
    {
        enum class Kind { None, AtLeast, AtMost };
        Kind kind = Kind::None;
        double limit = 0;

        static Target None() { return Target(); }
        static Target AtLeast(double limit) { return Target{Kind::AtLeast, limit}; }
        static Target AtMost(double limit) { return Target{Kind::AtMost, limit}; }
        bool Met(double value) const;
        std::string Text() const;
    };

    struct Row
    {
        std::string scenario;
        std::string ours;
        std::string baseline;
        std::string ratioName;
        double ratio = 0;
        Target target;
        int rounds = 0;
    };

    void Add(Row row);
    void Print(std::ostream& out) const;

    // "12.3 µs/event"
    static std::string Micros(double seconds, const std::string& unit);
    static std::string Number(double value);

private:
    std::vector<Row> m_rows;
};
