#include "ToolStatus.h"

#include "platform/ZuUtils/LogWriterInterface.h"

CToolStatus CToolStatus::Failure(const std::string& what, const CZuError& error)
{
    if (g_ptrLogWriter)
        g_ptrLogWriter->Write(-1, __PRETTY_FUNCTION__, __LINE__, 0, 0, "%s: %s", what.c_str(),
                              error.AsString().c_str());
    std::string text = what + ": " + (error.GetKind() == CZuError::Kind::SQLite ? "SQLite error " : "error ") +
                       std::to_string(error.GetCode());
    if (!error.GetMessage().empty())
        text += " (" + error.GetMessage() + ")";
    return Failure(text);
}
