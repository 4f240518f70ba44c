#include "Summary.h"

#include <algorithm>
#include <cstdio>

CSummary::CSummary(std::string title) : m_title(std::move(title))
{
}

void CSummary::Add(const std::string& name, const std::string& value)
{
    m_lines.emplace_back(name, value);
}

void CSummary::Add(const std::string& name, unsigned long long value)
{
    Add(name, std::to_string(value));
}

void CSummary::AddRate(unsigned long long events, double seconds)
{
    Add("events", events);
    char text[32];
    std::snprintf(text, sizeof(text), "%.3f", seconds);
    Add("seconds", text);
    Add("events/s", static_cast<unsigned long long>(seconds > 0 ? static_cast<double>(events) / seconds : 0));
}

void CSummary::Note(const std::string& text)
{
    m_notes.push_back(text);
}

void CSummary::Write(std::ostream& out) const
{
    std::size_t width = 0;
    for (const auto& line : m_lines)
        width = std::max(width, line.first.size());
    out << m_title << '\n';
    for (const auto& line : m_lines)
        out << "  " << line.first << std::string(width - line.first.size() + 2, ' ') << line.second << '\n';
    for (const std::string& note : m_notes)
        out << "Note: " << note << '\n';
}
