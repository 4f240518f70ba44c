#include "ScreenRedraw.h"

#include "TableWriter.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <ctime>
#include <sstream>

CScreenRedraw::CScreenRedraw(std::ostream& out, std::size_t columns) : m_out(out), m_columns(columns)
{
}

std::size_t CScreenRedraw::RowsOf(const std::string& block) const
{
    std::size_t rows = 0;
    std::istringstream lines(block);
    std::string line;
    while (std::getline(lines, line))
    {
        const std::size_t width = CTableWriter::DisplayWidth(line);
        rows += width == 0 ? 1 : (width + m_columns - 1) / m_columns;
    }
    return rows;
}

void CScreenRedraw::Show(const std::string& block)
{
    if (m_columns > 0 && m_shownRows > 0)
        m_out << "\x1b[" << m_shownRows << "A\r\x1b[J"; // up over the last block, then clear to the end
    else if (m_shown)
        m_out << '\n';
    m_out << block;
    if (block.empty() || block.back() != '\n')
        m_out << '\n';
    m_out.flush();
    m_shown = true;
    if (m_columns > 0)
        m_shownRows = RowsOf(block);
}

std::size_t CScreenRedraw::TerminalColumns()
{
    if (::isatty(STDOUT_FILENO) != 1)
        return 0;
    struct winsize size = {};
    return ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

std::string CScreenRedraw::ClockTime()
{
    const std::time_t now = std::time(nullptr);
    char text[16];
    std::strftime(text, sizeof(text), "%H:%M:%S", std::localtime(&now));
    return text;
}
