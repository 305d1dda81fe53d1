#include "cli/convertcommand.h"

#include <cstdio>
#include <cstdlib>

#include "cli/collect.h"
#include "cli/console.h"
#include "cli/options.h"
#include "cli/terminalhost.h"
#include "platform/paths.h"
#include "platform/stopscope.h"
#include "profile/qtprofilestore.h"
#include "tracks/settings.h"
#include "tracks/tracklist.h"

namespace sonvara::cli {

namespace {

const char* const kConversionHelp =
    "Usage: sonvara-cli %s [options] PATH...\n"
    "\n"
    "%s\n"
    "Outputs go to the track directory of the settings (or --track-dir), named after the\n"
    "source with the new extension. PATH is a file or a folder (its files of the source type;\n"
    "with -r also those of sub-folders).\n"
    "\n"
    "Options (each overrides the stored settings for this run only):\n"
    "  -r, --recursive          take files in sub-folders too\n"
    "  -j, --jobs N             convert N tracks at once (default 1); result lines stay in\n"
    "                           list order, overwrite questions are asked first\n"
    "  --track-dir DIR          folder for the outputs (made when it does not exist)\n"
    "  --bitrate KBPS           64, 96, 128, 160, 192, 256 or 320 (MP3 outputs)\n"
    "  --quality Q              normal, low or high (MP3 outputs)\n"
    "  --vbr, --cbr             variable or constant bit rate (MP3 outputs)\n"
    "  --pcm, --adpcm           uncompressed or IMA ADPCM WAV (mp3-to-wav)\n"
    "  --normalize, --no-normalize    normalise each WAV as the settings say, or not\n"
    "                           (mp3-to-wav)\n"
    "  --normalize-to TARGET    normalise each WAV (mp3-to-wav): 'peak' to a common peak of 95\n"
    "                           percent, or -23, -18, -16 or -14 to that integrated loudness in\n"
    "                           LUFS (EBU R 128) with the true peak held at or below -1 dBTP\n"
    "  --convert-corrupt, --skip-corrupt  convert files the check finds corrupt (mp3-to-wav)\n"
    "  --yes, --no              answer the overwrite question for existing outputs\n"
    "                           (default: ask on a terminal, no otherwise; [n]o and\n"
    "                           [c]ancel keep that output and go on, [q]uit ends the run)\n"
    "  -h, --help               show this text\n"
    "\n"
    "Settings come from the user's profile, or the INI file named by SONVARA_CONFIG.\n"
    "The result lines of the run go to standard output, in list order: the source (MP3 ->\n"
    "WAV) or output path, then '        ===> File OK! ', '        ===> FILE CORRUPT!!!  Please\n"
    "convert.' or '        ===> NOT CONVERTED: reason'; 'Error<TAB>path<TAB>reason' for a\n"
    "path that cannot be read. Outputs are written under a temporary name and renamed only\n"
    "when complete; two sources with the same output name: the first is converted. In paths\n"
    "and reasons a tab, line feed, carriage return and backslash are written as \\t, \\n,\n"
    "\\r and \\\\ (other control bytes as \\xNN), so every line is one result. A summary\n"
    "goes to standard error.\n"
    "Exit status: 0 when every track taken was converted, 1 when any failed, was skipped or\n"
    "could not be read, 2 for a usage error, 128 + the signal when stopped by Ctrl+C (130),\n"
    "SIGHUP (129) or SIGTERM (143); a stopped track's partial output is removed.\n";

int BitRateIndex(const std::string& kbps) {
    const char* rates[] = {"64", "96", "128", "160", "192", "256", "320"};
    for (int i = 0; i < 7; ++i) {
        if (kbps == rates[i]) {
            return i;
        }
    }
    return -1;
}

}  // namespace

int RunConversionCommand(ConversionMode mode, const std::string& command,
                         const std::vector<std::string>& arguments) {
    const char* what = mode == ConversionMode::kMp3ToWav
                           ? "Decodes MP3 files to WAV (44100 Hz stereo); each is checked first."
                       : mode == ConversionMode::kWavToMp3
                           ? "Encodes WAV files to MP3 (MPEG-1 Layer III, 44100 Hz)."
                           : "Re-encodes MP3 files at the configured bit rate and quality.";
    auto store = CQtProfileStore::ForPrograms();
    CSettings stored(*store);
    ConversionSettings settings = ReadConversionSettings(stored);
    const bool readTags = stored.GetID3Check();
    bool recursive = false;
    unsigned jobs = 1;
    OverwritePolicy policy = OverwritePolicy::kAsk;
    std::vector<std::string> paths;

    COptionReader options(arguments);
    std::string value;
    while (options.Next()) {
        if (options.IsPath()) {
            paths.push_back(options.Current());
        } else if (options.Is("-h", "--help")) {
            std::printf(kConversionHelp, command.c_str(), what);
            return 0;
        } else if (options.Is("-r", "--recursive")) {
            recursive = true;
        } else if (options.Is("-j", "--jobs")) {
            if (!options.TakeCount(jobs)) {
                return UsageError(options.Error(), command);
            }
        } else if (options.Is(nullptr, "--track-dir")) {
            if (!options.TakeValue(value)) {
                return UsageError(options.Error(), command);
            }
            if (value.empty()) {
                // Never taken as the root folder.
                return UsageError("--track-dir needs a folder", command);
            }
            settings.trackDir = value;
        } else if (options.Is(nullptr, "--bitrate")) {
            if (!options.TakeValue(value) || BitRateIndex(value) < 0) {
                return UsageError("--bitrate takes 64, 96, 128, 160, 192, 256 or 320", command);
            }
            settings.encoder.bitRateIndex = BitRateIndex(value);
        } else if (options.Is(nullptr, "--quality")) {
            if (!options.TakeValue(value) ||
                (value != "normal" && value != "low" && value != "high")) {
                return UsageError("--quality takes normal, low or high", command);
            }
            settings.encoder.qualityIndex = value == "normal" ? 0 : value == "low" ? 1 : 2;
        } else if (options.Is(nullptr, "--vbr") || options.Is(nullptr, "--cbr")) {
            settings.encoder.vbr = options.Current() == "--vbr";
            settings.encoder.cbr = !settings.encoder.vbr;
        } else if (options.Is(nullptr, "--pcm") || options.Is(nullptr, "--adpcm")) {
            settings.uncompressed = options.Current() == "--pcm";
        } else if (options.Is(nullptr, "--normalize") || options.Is(nullptr, "--no-normalize")) {
            settings.normalize = options.Current() == "--normalize";
        } else if (options.Is(nullptr, "--normalize-to")) {
            if (!options.TakeValue(value) || (value != "peak" && value != "-23" && value != "-18" &&
                                              value != "-16" && value != "-14")) {
                return UsageError("--normalize-to takes peak, -23, -18, -16 or -14", command);
            }
            settings.normalize = true;
            settings.normalizeMode =
                value == "peak" ? NormalizeMode::kPeak : NormalizeMode::kLoudness;
            if (value != "peak") {
                settings.loudnessTarget = std::atoi(value.c_str());
            }
        } else if (options.Is(nullptr, "--convert-corrupt") ||
                   options.Is(nullptr, "--skip-corrupt")) {
            settings.convertCorrupt = options.Current() == "--convert-corrupt";
        } else if (options.Is(nullptr, "--yes") || options.Is(nullptr, "--no")) {
            policy = options.Current() == "--yes" ? OverwritePolicy::kYes : OverwritePolicy::kNo;
        } else {
            return UsageError("unknown option '" + options.Current() + "'", command);
        }
    }
    if (paths.empty()) {
        return UsageError("no PATH given", command);
    }

    InstallInterruptHandler();
    CConsole console;
    for (const std::string& problem : stored.InvalidValues()) {
        console.Message("sonvara-cli: " + problem);
    }
    const std::string extension = mode == ConversionMode::kWavToMp3 ? ".WAV" : ".MP3";
    std::size_t errors = 0;
    std::vector<std::string> readable;
    std::vector<std::string> duplicates;
    for (const CollectedPath& item : CollectPaths(paths, extension, recursive, &duplicates)) {
        if (!item.error.empty()) {
            console.PrintFields({"Error", item.path, item.error});
            ++errors;
        } else {
            readable.push_back(item.path);
        }
    }
    for (const std::string& warning : duplicates) {
        console.Message("sonvara-cli: warning: " + EscapeField(warning));
    }
    CTrackList list;
    AddOptions add;
    add.readTags = readTags;
    CStopScope interrupt([] { return Interrupted(); });  // Ctrl+C, SIGTERM in a huge file too
    for (const AddResult& r : list.AddTracks(readable, add)) {
        if (r.outcome != AddOutcome::kAdded) {
            console.PrintFields({"Error", r.path, r.reason});
            ++errors;
        }
    }

    CTerminalQuestions questions(console, policy);
    const std::vector<TrackRecord*> records = list.Records();
    CTerminalHost host(console, questions, records);
    host.sameFolderText = "sonvara-cli " + command + ": the track directory " +
                          (settings.trackDir.empty() ? std::string("/") : settings.trackDir) +
                          " is the folder of a source file; the outputs would replace the "
                          "originals. Give another folder with --track-dir.";
    CConversionRun run(mode, host);
    if (!run.Start(settings, records)) {
        return 1;
    }
    run.Walk(records, jobs);

    std::size_t converted = 0;
    std::size_t failed = 0;
    std::size_t skipped = 0;
    for (const TrackResult& r : run.Results()) {
        (r.status == TrackStatus::kDone                                             ? converted
         : r.status == TrackStatus::kSkipped || r.status == TrackStatus::kCollision ? skipped
                                                                                    : failed)++;
    }
    const std::size_t notReached = records.size() - run.Results().size();
    console.Message(std::to_string(converted) + " converted, " + std::to_string(failed) +
                    " failed, " + std::to_string(skipped) + " skipped, " + std::to_string(errors) +
                    " could not be read" +
                    (notReached > 0 ? ", " + std::to_string(notReached) + " not reached" : "") +
                    (Interrupted() ? " (interrupted)" : ""));
    if (Interrupted()) {
        return InterruptedExitStatus();
    }
    return failed == 0 && skipped == 0 && errors == 0 && notReached == 0 ? 0 : 1;
}

}  // namespace sonvara::cli
