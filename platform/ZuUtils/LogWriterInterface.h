#pragma once

#include <boost/shared_ptr.hpp>

// The host's log writer. Levels: -1 failures, 0 notable events, 3 batches, 5 SQL traces.
class CLogWriterInterface
{
public:
    virtual ~CLogWriterInterface();
    virtual void Write(int level, const char* function, int line, int reserved1, int reserved2, const char* format,
                       ...) __attribute__((format(printf, 7, 8))) = 0;
    virtual int GetLevel() = 0;
};

// Empty by default: nothing is logged until the host installs a writer.
extern boost::shared_ptr<CLogWriterInterface> g_ptrLogWriter;
