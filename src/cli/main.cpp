#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/analyze.h"

namespace {

const char* const kHelp =
    "Usage: sonvara-cli COMMAND [OPTIONS] [PATH...]\n"
    "\n"
    "Batch jobs over MP3 and WAV collections.\n"
    "\n"
    "Commands:\n"
    "  analyze   check MP3 files frame by frame (OK or Corrupt)\n"
    "\n"
    "'sonvara-cli COMMAND --help' explains a command. Exit status 2 means a usage error.\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kHelp, stderr);
        return 2;
    }
    const std::string command = argv[1];
    const std::vector<std::string> arguments(argv + 2, argv + argc);
    if (command == "-h" || command == "--help" || command == "help") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (command == "--version") {
        std::puts("sonvara-cli 2.0");
        return 0;
    }
    if (command == "analyze") {
        return sonvara::cli::RunAnalyze(arguments);
    }
    std::fprintf(stderr, "sonvara-cli: unknown command '%s'\n\n%s", command.c_str(), kHelp);
    return 2;
}
