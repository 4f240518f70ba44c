#include "AgentFleet.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

CToolStatus CAgentFleet::Start(const CAgent& agent, int& pid)
{
    std::vector<std::string> argv{"fileextentctl"};
    argv.insert(argv.end(), agent.Arguments.begin(), agent.Arguments.end());
    std::vector<char*> pointers;
    for (std::string& argument : argv)
        pointers.push_back(&argument[0]);
    pointers.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, agent.OutputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, agent.ErrorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t child = 0;
    const int rc = posix_spawn(&child, "/proc/self/exe", &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return CToolStatus::Failure(std::string("cannot start an agent process: ") + std::strerror(rc));
    pid = child;
    return CToolStatus::Ok();
}

CToolStatus CAgentFleet::Run(const std::vector<CAgent>& agents)
{
    std::vector<int> pids;
    CToolStatus status = CToolStatus::Ok();
    for (const CAgent& agent : agents)
    {
        int pid = 0;
        status = Start(agent, pid);
        if (!status.IsOk())
            break;
        pids.push_back(pid);
    }
    // Every started agent is waited for, whatever became of the others.
    for (std::size_t i = 0; i < pids.size(); ++i)
    {
        int wstatus = 0;
        while (::waitpid(pids[i], &wstatus, 0) < 0 && errno == EINTR)
        {
        }
        const bool ok = WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0;
        if (!ok && status.IsOk())
            status = CToolStatus::Failure("agent " + std::to_string(i) + " failed: " + LastLineOf(agents[i].ErrorPath));
    }
    return status;
}

std::map<std::string, std::string> CAgentFleet::ReadSummary(const std::string& path)
{
    std::map<std::string, std::string> values;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
    {
        // A summary's lines are "  name  value"; its title and notes are not indented.
        std::istringstream fields(line);
        std::string name, value;
        if (line.compare(0, 2, "  ") == 0 && fields >> name >> value)
            values[name] = value;
    }
    return values;
}

std::string CAgentFleet::LastLineOf(const std::string& path)
{
    std::ifstream in(path);
    std::string line, last;
    while (std::getline(in, line))
        if (!line.empty())
            last = line;
    return last.empty() ? "no message" : last;
}
