#include "cli/CliSupport.h"

#include <exception>
#include <iostream>

using namespace tovallo::cli;

namespace {

void printHelp() {
    std::cout << "Usage: tovallo-cli <command> [options]\n"
                 "Firmware resource editor for Samsung SGH phones, command-line front end.\n"
                 "Numbers accept address texts (0x0003F304) and decimals.\n\nCommands:\n";
    for (const Command& c : Commands())
        std::cout << "  " << c.usage << '\n';
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        printHelp();
        return words.empty() ? 2 : 0;
    }
    for (const Command& c : Commands()) {
        if (c.name != words[0])
            continue;
        try {
            return c.run({words.begin() + 1, words.end()});
        } catch (const CliError& e) {
            std::cerr << "tovallo-cli " << c.name << ": " << e.what() << '\n';
            if (e.status == 2)
                std::cerr << "usage: tovallo-cli " << c.usage << '\n';
            return e.status;
        } catch (const std::exception& e) {
            std::cerr << "tovallo-cli " << c.name << ": " << e.what() << '\n';
            return 1;
        }
    }
    std::cerr << "tovallo-cli: unknown command \"" << words[0] << "\" (see --help)\n";
    return 2;
}
