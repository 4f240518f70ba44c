#include "ToolLog.h"

#include "platform/ZuUtils/FileLogWriter.h"
#include "platform/ZuUtils/LogWriterInterface.h"

const char* const CToolLog::FileName = "fileextentctl.log";

CToolLog::CToolLog(const std::string& logPath, int verbosity)
    : m_writer(new CFileLogWriter(logPath, LevelFor(verbosity)))
{
    // A log that cannot be opened must not stop a read-only command: it then logs nowhere.
    if (m_writer->IsOpen())
        g_ptrLogWriter = m_writer;
}

CToolLog::~CToolLog()
{
    if (g_ptrLogWriter == m_writer)
        g_ptrLogWriter.reset();
}

bool CToolLog::IsOpen() const
{
    return m_writer->IsOpen();
}

int CToolLog::LevelFor(int verbosity)
{
    if (verbosity <= 0)
        return 0;
    return verbosity == 1 ? 3 : 5;
}
