#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

// The closing summary of a command: a title and aligned "name value" lines, one word per name,
// so that people read it and scripts split it.
class CSummary
{
public:
    explicit CSummary(std::string title);

    void Add(const std::string& name, const std::string& value);
    void Add(const std::string& name, unsigned long long value);
    // The events, the seconds they took and the events per second.
    void AddRate(unsigned long long events, double seconds);
    void Note(const std::string& text);
    void Write(std::ostream& out) const;

private:
    std::string m_title;
    std::vector<std::pair<std::string, std::string>> m_lines;
    std::vector<std::string> m_notes;
};
