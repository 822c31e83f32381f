#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "workspace/WriteFaults.h"

#include <cstdlib>
#include <exception>
#include <iostream>

using namespace tovallo::cli;

namespace {

// " s3 to-bin": the subcommands given so far, for messages.
std::string commandPath(const CLI::App& app) {
    const auto chosen = app.get_subcommands();
    return chosen.empty() ? std::string() : " " + chosen[0]->get_name() + commandPath(*chosen[0]);
}

const CLI::App& lastCommand(const CLI::App& app) {
    const auto chosen = app.get_subcommands();
    return chosen.empty() ? app : lastCommand(*chosen[0]);
}

// CLI11's words, except that a word where a subcommand belongs is named as an unknown command.
std::string usageText(const CLI::ParseError& e, const CLI::App& app) {
    const CLI::App& command = lastCommand(app);
    const auto left = command.remaining();
    if (command.get_require_subcommand_min() > 0 && command.get_subcommands().empty() &&
        !left.empty())
        return "unknown command \"" + left.front() + "\"";
    return e.what();
}

void printHelpHint(const CLI::App& app) {
    std::cerr << "Run \"tovallo-cli" << commandPath(app) << " --help\" for its options.\n";
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app("Firmware resource editor for Samsung SGH phones, command-line front end.\n"
                 "Numbers accept address texts (0x0003F304, $3F304) and decimals.",
                 "tovallo-cli");
    Output out;
    app.add_flag("--quiet", out.quiet, "Print no success messages");
    app.require_subcommand(1);
    AddWorkspaceCommands(app, out);
    AddImageCommands(app, out);
    AddS3Commands(app, out);
    AddPatchCommands(app, out);
    AddMediaCommands(app, out);
    AddPhoneCommands(app, out);
    AddStringCommands(app, out);
    AddSurveyCommands(app, out);
    // For crash tests only: makes the writes fail, or the program end, at a chosen byte.
    tovallo::SetWriteFault(tovallo::ParseWriteFault(std::getenv("TOVALLO_WRITE_FAULT")));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success))
            return app.exit(e); // --help
        std::cerr << "tovallo-cli" << commandPath(app) << ": " << usageText(e, app) << '\n';
        printHelpHint(app);
        return 2;
    } catch (const CliError& e) {
        std::cerr << "tovallo-cli" << commandPath(app) << ": " << e.what() << '\n';
        if (e.status == 2)
            printHelpHint(app);
        return e.status;
    } catch (const std::exception& e) {
        std::cerr << "tovallo-cli" << commandPath(app) << ": " << e.what() << '\n';
        return 1;
    }
    return 0;
}
