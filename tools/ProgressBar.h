#pragma once

#include <cstdint>
#include <string>

// A one-line progress bar on stderr, drawn only when stderr is a terminal, so pipes and logs
// get no control characters.
class CProgressBar
{
public:
    CProgressBar(std::string label, std::uint64_t total);
    ~CProgressBar();

    CProgressBar(const CProgressBar&) = delete;
    CProgressBar& operator=(const CProgressBar&) = delete;

    void Advance(std::uint64_t steps = 1);
    void Finish();

private:
    void Draw();

    std::string m_label;
    std::uint64_t m_total;
    std::uint64_t m_done = 0;
    int m_drawnPercent = -1;
    bool m_enabled;
    bool m_finished = false;
};
