#include "ProgressBar.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace
{
const int BarWidth = 40;
}

CProgressBar::CProgressBar(std::string label, std::uint64_t total)
    : m_label(std::move(label)), m_total(total), m_enabled(::isatty(STDERR_FILENO) == 1)
{
}

CProgressBar::~CProgressBar()
{
    Finish();
}

void CProgressBar::Advance(std::uint64_t steps)
{
    m_done += steps;
    if (m_enabled)
        Draw();
}

// Redraws only when the percentage changes: a terminal write per event would dominate the run.
void CProgressBar::Draw()
{
    const int percent = m_total == 0 ? 100 : static_cast<int>(m_done * 100 / m_total);
    if (percent == m_drawnPercent)
        return;
    m_drawnPercent = percent;
    const int filled = percent * BarWidth / 100;
    const std::string bar = std::string(filled, '#') + std::string(BarWidth - filled, ' ');
    std::fprintf(stderr, "\r%s [%s] %3d%%", m_label.c_str(), bar.c_str(), percent);
    std::fflush(stderr);
}

void CProgressBar::Finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_enabled && m_drawnPercent >= 0)
    {
        std::fputs("\n", stderr);
        std::fflush(stderr);
    }
}
