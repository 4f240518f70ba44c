#pragma once

#include <cstddef>
#include <ostream>
#include <string>

// Shows a block of text again and again: on a terminal each block replaces the last one in place;
// elsewhere (a pipe, a file) the blocks follow each other, a blank line apart, with no control characters.
class CScreenRedraw
{
public:
    // `columns`: the terminal's width, to count the rows a long line wraps to (0: no terminal).
    CScreenRedraw(std::ostream& out, std::size_t columns);

    void Show(const std::string& block);

    // The terminal's width when stdout is one, else 0.
    static std::size_t TerminalColumns();
    // Now, as HH:MM:SS in local time.
    static std::string ClockTime();

private:
    std::size_t RowsOf(const std::string& block) const;

    std::ostream& m_out;
    std::size_t m_columns;
    std::size_t m_shownRows = 0;
    bool m_shown = false;
};
