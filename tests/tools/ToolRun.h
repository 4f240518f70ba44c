#pragma once

#include <map>
#include <string>
#include <vector>

// One run of the built fileextentctl: its exit code and what it wrote.
struct ToolRun
{
    int exitCode = -1;
    std::string out;
    std::string err;

    // The "name value" lines of a simulate summary.
    std::map<std::string, std::string> Summary() const;
    unsigned long long SummaryNumber(const std::string& name) const;
    // Lines of stderr, without empty ones.
    std::vector<std::string> ErrLines() const;
};

// False in a build without the tool (FX_BUILD_TOOLS=OFF); its tests then skip.
bool ToolAvailable();

std::string ReadWholeFile(const std::string& path);

// Runs fileextentctl with the arguments in a shell-free way; `scratch` is a directory for the
// captured output.
ToolRun RunTool(const std::vector<std::string>& args, const std::string& scratch);

// A run in the background, for what happens while it lasts; Wait() collects it.
class BackgroundTool
{
public:
    BackgroundTool(const std::vector<std::string>& args, const std::string& scratch);
    ~BackgroundTool();
    BackgroundTool(const BackgroundTool&) = delete;
    BackgroundTool& operator=(const BackgroundTool&) = delete;

    int Pid() const { return m_pid; }
    ToolRun Wait();

private:
    std::string m_scratch;
    int m_pid = -1;
};
