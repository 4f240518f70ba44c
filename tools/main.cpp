// fileextentctl: runs and inspects restores and recalls through the FileExtent library, as a host would.
#include "CollectCommand.h"
#include "RecallReportCommand.h"
#include "RecallSimulateCommand.h"
#include "ReportCommand.h"
#include "SimulateCommand.h"
#include "TopCommand.h"
#include "ToolStatus.h"

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace
{
int Fail(const CToolStatus& status)
{
    std::cerr << "fileextentctl: " << status.Message() << '\n';
    return status.ExitCode();
}

// CLI11 reports a mistyped command only as a missing one; name it instead. Walks the leading words
// of the command line down the command tree and returns the first that is not a command there.
std::string UnknownCommand(CLI::App& app, int argc, char** argv)
{
    CLI::App* level = &app;
    for (int i = 1; i < argc && argv[i][0] != '-'; ++i)
    {
        const std::vector<CLI::App*> commands = level->get_subcommands([](CLI::App*) { return true; });
        CLI::App* next = nullptr;
        for (CLI::App* command : commands)
            if (command->check_name(argv[i]))
                next = command;
        if (!next)
            return commands.empty() ? std::string() : argv[i];
        level = next;
    }
    return std::string();
}

CToolStatus RunChosen(CSimulateCommand& simulate, CReportCommand& report, CCollectCommand& collect, CTopCommand& top,
                      CRecallSimulateCommand& recallSimulate, CRecallReportCommand& recallReport)
{
    if (top.IsChosen())
        return top.Run();
    if (collect.IsChosen())
        return collect.Run();
    if (simulate.IsChosen())
        return simulate.Run();
    if (report.IsChosen())
        return report.Run();
    if (recallSimulate.IsChosen())
        return recallSimulate.Run();
    if (recallReport.IsChosen())
        return recallReport.Run();
    return CToolStatus::Usage("no command given (see --help)");
}
} // namespace

int main(int argc, char** argv)
{
    try
    {
        CLI::App app("Runs simulated restores and recalls through the FileExtent library and reports what its "
                     "databases hold.\nExit codes: 0 done, 1 a failure, 2 a usage error.",
                     "fileextentctl");
        app.require_subcommand(1);
        CSimulateCommand simulate(app);
        CReportCommand report(app);
        CCollectCommand collect(app);
        CTopCommand top(app);
        CLI::App* recall = app.add_subcommand("recall", "Recall tracking: simulate and report (FileExtentRecall.db)");
        recall->require_subcommand(1);
        CRecallSimulateCommand recallSimulate(*recall);
        CRecallReportCommand recallReport(*recall);
        try
        {
            app.parse(argc, argv);
        }
        catch (const CLI::CallForHelp& help)
        {
            return app.exit(help);
        }
        catch (const CLI::CallForAllHelp& help)
        {
            return app.exit(help);
        }
        catch (const CLI::ParseError& error)
        {
            const std::string unknown = UnknownCommand(app, argc, argv);
            if (!unknown.empty())
                return Fail(CToolStatus::Usage("unknown command '" + unknown + "' (see --help)"));
            return Fail(CToolStatus::Usage(std::string(error.what()) + " (see --help)"));
        }
        const CToolStatus status = RunChosen(simulate, report, collect, top, recallSimulate, recallReport);
        return status.IsOk() ? CToolStatus::ExitOk : Fail(status);
    }
    catch (const std::exception& error)
    {
        return Fail(CToolStatus::Failure(std::string("unexpected failure: ") + error.what()));
    }
}
