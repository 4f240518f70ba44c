#include "tools/ToolRun.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

#ifndef FILEEXTENTCTL_PATH
#define FILEEXTENTCTL_PATH ""
#endif

bool ToolAvailable()
{
    return FILEEXTENTCTL_PATH[0] != '\0';
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::map<std::string, std::string> ToolRun::Summary() const
{
    std::map<std::string, std::string> values;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line))
    {
        if (line.compare(0, 2, "  ") != 0)
            continue;
        std::istringstream words(line);
        std::string name;
        words >> name;
        std::string value;
        std::getline(words >> std::ws, value);
        values[name] = value;
    }
    return values;
}

unsigned long long ToolRun::SummaryNumber(const std::string& name) const
{
    const auto values = Summary();
    const auto found = values.find(name);
    if (found == values.end())
        throw std::runtime_error("no summary line " + name + " in:\n" + out);
    return std::stoull(found->second);
}

std::vector<std::string> ToolRun::ErrLines() const
{
    std::vector<std::string> lines;
    std::istringstream in(err);
    std::string line;
    while (std::getline(in, line))
        if (!line.empty())
            lines.push_back(line);
    return lines;
}

namespace
{
// Starts the tool with stdout and stderr in files of `scratch`; the caller waits for the pid.
int StartTool(const std::vector<std::string>& args, const std::string& scratch)
{
    const std::string outPath = scratch + "/tool.out";
    const std::string errPath = scratch + "/tool.err";
    std::vector<std::string> argv = {FILEEXTENTCTL_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& arg : argv)
        pointers.push_back(&arg[0]);
    pointers.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, pointers[0], &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    return pid;
}

ToolRun WaitTool(int pid, const std::string& scratch)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    ToolRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadWholeFile(scratch + "/tool.out");
    run.err = ReadWholeFile(scratch + "/tool.err");
    return run;
}
} // namespace

ToolRun RunTool(const std::vector<std::string>& args, const std::string& scratch)
{
    return WaitTool(StartTool(args, scratch), scratch);
}

BackgroundTool::BackgroundTool(const std::vector<std::string>& args, const std::string& scratch)
    : m_scratch(scratch), m_pid(StartTool(args, scratch))
{
}

BackgroundTool::~BackgroundTool()
{
    if (m_pid > 0)
        WaitTool(m_pid, m_scratch);
}

ToolRun BackgroundTool::Wait()
{
    const ToolRun run = WaitTool(m_pid, m_scratch);
    m_pid = -1;
    return run;
}
