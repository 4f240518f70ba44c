#pragma once

#include <boost/shared_ptr.hpp>

#include <string>

class CFileLogWriter;

// Sends the library's log lines to fileextentctl.log in the command's directory for the
// command's lifetime. Verbosity 0, 1, 2+ gives the levels 0, 3 and 5 (failures, at -1, always).
class CToolLog
{
public:
    static const char* const FileName;

    CToolLog(const std::string& logPath, int verbosity);
    ~CToolLog();

    CToolLog(const CToolLog&) = delete;
    CToolLog& operator=(const CToolLog&) = delete;

    bool IsOpen() const;
    static int LevelFor(int verbosity);

private:
    boost::shared_ptr<CFileLogWriter> m_writer;
};
