#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/analyze.h"
#include "cli/convertcommand.h"
#include "cli/loudness.h"
#include "cli/repaircommand.h"

namespace {

const char* const kHelp =
    "Usage: sonvara-cli COMMAND [OPTIONS] [PATH...]\n"
    "\n"
    "Batch jobs over MP3 and WAV collections.\n"
    "\n"
    "Commands:\n"
    "  analyze      check MP3 files frame by frame (OK or Corrupt)\n"
    "  mp3-to-wav   decode MP3 files to WAV (PCM or IMA ADPCM, optionally normalised)\n"
    "  wav-to-mp3   encode WAV files to MP3\n"
    "  mp3-to-mp3   re-encode MP3 files at the configured bit rate\n"
    "  repair       write repaired copies of damaged MP3 files (no re-encoding)\n"
    "  loudness     measure loudness (EBU R 128), write ReplayGain tags\n"
    "\n"
    "'sonvara-cli COMMAND --help' explains a command. Exit status 2 means a usage error.\n";

}  // namespace

int main(int argc, char** argv) {
#ifdef SIGXFSZ
    // Past a file-size limit a write should fail with an error the jobs report, not end the
    // process.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
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
    if (command == "repair") {
        return sonvara::cli::RunRepairCommand(arguments);
    }
    if (command == "loudness") {
        return sonvara::cli::RunLoudnessCommand(arguments);
    }
    using sonvara::ConversionMode;
    if (command == "mp3-to-wav") {
        return sonvara::cli::RunConversionCommand(ConversionMode::kMp3ToWav, command, arguments);
    }
    if (command == "wav-to-mp3") {
        return sonvara::cli::RunConversionCommand(ConversionMode::kWavToMp3, command, arguments);
    }
    if (command == "mp3-to-mp3") {
        return sonvara::cli::RunConversionCommand(ConversionMode::kMp3ToMp3, command, arguments);
    }
    std::fprintf(stderr, "sonvara-cli: unknown command '%s'\n\n%s", command.c_str(), kHelp);
    return 2;
}
