#include "platform/ZuUtils/LogWriterInterface.h"

CLogWriterInterface::~CLogWriterInterface() = default;

boost::shared_ptr<CLogWriterInterface> g_ptrLogWriter;
