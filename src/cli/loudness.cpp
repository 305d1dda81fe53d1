#include "cli/loudness.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "cli/collect.h"
#include "cli/console.h"
#include "cli/options.h"
#include "platform/paths.h"
#include "runs/loudnessrun.h"
#include "runs/runhelpers.h"
#include "tracks/trackrecord.h"

namespace sonvara::cli {

const char* const kLoudnessHelp =
    "Usage: sonvara-cli loudness [-r] [-j N] [--album] [--write-tags] [--json] PATH...\n"
    "\n"
    "Measures the loudness of MP3 and WAV files by ITU-R BS.1770 / EBU R 128: integrated\n"
    "loudness (LUFS), loudness range (LU), sample peak and true peak (dBTP). Files are\n"
    "decoded as the conversions decode them.\n"
    "\n"
    "PATH is a file or a folder; a folder contributes its files whose extension is .mp3 or\n"
    ".wav (in any letter case). Files are reported in sorted path order.\n"
    "\n"
    "Options:\n"
    "  -r, --recursive   also measure the files in sub-folders of each folder\n"
    "  -j, --jobs N      measure N files at once (default: the number of cores)\n"
    "  --album           also measure each album: the files of one folder with the same\n"
    "                    album tag, taken as one programme\n"
    "  --write-tags      write ReplayGain 2.0 tags (reference -18 LUFS) into the MP3 files:\n"
    "                    ID3v2 TXXX frames REPLAYGAIN_TRACK_GAIN and REPLAYGAIN_TRACK_PEAK,\n"
    "                    with --album also REPLAYGAIN_ALBUM_GAIN and REPLAYGAIN_ALBUM_PEAK\n"
    "                    (gains as \"-6.53 dB\", peaks as the true peak \"0.988831\");\n"
    "                    an existing frame is replaced, every other frame kept\n"
    "  --json            one JSON object per file and line instead of the result lines\n"
    "  -h, --help        show this text\n"
    "\n"
    "Output, one line per file on standard output, fields separated by a tab:\n"
    "  OK<TAB>path<TAB>-14.32 LUFS<TAB>-0.41 dBTP<TAB>7.2 LU\n"
    "  Error<TAB>path<TAB>reason     'silent', 'too short', or why the file cannot be read\n"
    "  Album<TAB>folder/album<TAB>-14.32 LUFS<TAB>-0.41 dBTP<TAB>7.2 LU   (--album, after the\n"
    "                                files)\n"
    "  Error<TAB>path<TAB>tags not written: reason      (--write-tags)\n"
    "With --json each file is one line {\"path\", \"integrated_lufs\", \"loudness_range_lu\",\n"
    "\"sample_peak\", \"true_peak_dbtp\", \"track_gain_db\"}, with --album also \"album\",\n"
    "\"album_gain_db\" and \"album_peak\" (its true peak; null without album values), or\n"
    "{\"path\", \"error\"}. Path bytes that are not UTF-8 are written as \\udc80..\\udcff.\n"
    "In a path or reason of a result line, a tab, line feed, carriage return and backslash are\n"
    "written as \\t, \\n, \\r and \\\\ (other control bytes as \\xNN).\n"
    "\n"
    "Exit status: 0 when every file was measured (and tagged), 1 otherwise, 2 for a usage\n"
    "error, 128 + the signal when stopped by Ctrl+C (130), SIGHUP (129) or SIGTERM (143).\n";

namespace {

// The run's host: the progress line, the stop request; the lines are printed afterwards.
class CLoudnessHost : public CQuietRunHost {
public:
    CLoudnessHost(CConsole& console, std::vector<TrackRecord*> records)
        : m_Console(console), m_Records(std::move(records)) {}
    bool IsAborted() override { return Interrupted(); }
    void SetCurrentFile(const std::string& path) override {
        if (!path.empty()) {
            m_Console.ShowProgress(++m_Done, m_Records.size(), path);
        }
    }
    void ShowMessage(const std::string& text, MessageIcon) override { m_Console.Message(text); }
    void UpdateTrack(const TrackUpdate& update) override { ApplyTrackUpdate(m_Records, update); }
    void RunEnded() override { m_Console.ClearProgress(); }

private:
    CConsole& m_Console;
    std::vector<TrackRecord*> m_Records;
    std::size_t m_Done = 0;
};

std::string Number(double value, int decimals) {
    if (!std::isfinite(value)) {
        return "null";
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

std::string JsonString(const std::string& bytes) {
    std::string out = "\"";
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    char escape[16];
    for (std::size_t i = 0; i < n;) {
        const unsigned char c = s[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        if (c < 0x20) {
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
            ++i;
            continue;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        // The length of a well-formed UTF-8 sequence starting here, 0 when it is not one.
        std::size_t len = 0;
        std::uint32_t min = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2, min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3, min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4, min = 0x10000;
        }
        std::uint32_t code = len == 2 ? c & 0x1Fu : len == 3 ? c & 0x0Fu : c & 0x07u;
        for (std::size_t k = 1; k < len; ++k) {
            if (i + k >= n || (s[i + k] & 0xC0) != 0x80) {
                len = 0;
                break;
            }
            code = (code << 6) | (s[i + k] & 0x3Fu);
        }
        if (len != 0 && (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))) {
            len = 0;
        }
        if (len == 0) {
            std::snprintf(escape, sizeof escape, "\\udc%02x", c);
            out += escape;
            ++i;
        } else {
            out.append(bytes, i, len);
            i += len;
        }
    }
    return out + "\"";
}

int RunLoudnessCommand(const std::vector<std::string>& arguments) {
    bool recursive = false;
    unsigned jobs = DefaultJobCount();
    LoudnessRunOptions run;
    bool json = false;
    std::vector<std::string> paths;
    COptionReader options(arguments);
    while (options.Next()) {
        if (options.IsPath()) {
            paths.push_back(options.Current());
        } else if (options.Is("-h", "--help")) {
            std::fputs(kLoudnessHelp, stdout);
            return 0;
        } else if (options.Is("-r", "--recursive")) {
            recursive = true;
        } else if (options.Is("-j", "--jobs")) {
            if (!options.TakeCount(jobs)) {
                return UsageError(options.Error(), "loudness");
            }
        } else if (options.Is(nullptr, "--album")) {
            run.album = true;
        } else if (options.Is(nullptr, "--write-tags")) {
            run.writeTags = true;
        } else if (options.Is(nullptr, "--json")) {
            json = true;
        } else {
            return UsageError("unknown option '" + options.Current() + "'", "loudness");
        }
    }
    if (paths.empty()) {
        return UsageError("no file or folder given", "loudness");
    }
    run.threads = jobs;

    InstallInterruptHandler();
    CConsole console;
    std::vector<std::string> duplicates;
    const std::vector<CollectedPath> items =
        CollectPaths(paths, ".MP3|.WAV", recursive, &duplicates);
    for (const std::string& warning : duplicates) {
        console.Message("sonvara-cli: warning: " + EscapeField(warning));
    }
    std::vector<std::unique_ptr<TrackRecord>> owned;
    std::vector<TrackRecord*> records;
    std::vector<int> recordOfItem(items.size(), -1);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].error.empty()) {
            recordOfItem[i] = static_cast<int>(records.size());
            owned.push_back(std::make_unique<TrackRecord>());
            owned.back()->path = items[i].path;
            records.push_back(owned.back().get());
        }
    }
    CLoudnessHost host(console, records);
    const LoudnessRunResult result = RunLoudness(records, host, run);

    std::size_t measured = 0;
    std::size_t failed = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const int r = recordOfItem[i];
        const std::string& path = items[i].path;
        if (r >= 0 && !result.measured[static_cast<std::size_t>(r)]) {
            continue;  // stopped before it
        }
        const TrackLoudness* t = r >= 0 ? &result.tracks[static_cast<std::size_t>(r)] : nullptr;
        const std::string reason = t == nullptr ? items[i].error : t->reason;
        const bool ok = t != nullptr && t->ok;
        ok ? ++measured : ++failed;
        const std::string tagError = ok && !result.tagResults.empty()
                                         ? result.tagResults[static_cast<std::size_t>(r)]
                                         : std::string();
        if (!tagError.empty()) {
            ++failed;
        }
        if (json) {
            std::string line = "{\"path\": " + JsonString(path);
            if (!ok) {
                line += ", \"error\": " + JsonString(reason);
            } else {
                const LoudnessValues& v = t->values;
                line += ", \"integrated_lufs\": " + Number(v.integratedLufs, 2) +
                        ", \"loudness_range_lu\": " + Number(v.rangeLu, 2) +
                        ", \"sample_peak\": " + Number(v.samplePeak, 6) +
                        ", \"true_peak_dbtp\": " + Number(v.TruePeakDbtp(), 2) +
                        ", \"track_gain_db\": " + Number(ReplayGainDb(v.integratedLufs), 2);
                if (run.album) {
                    const int a = result.albumOf[static_cast<std::size_t>(r)];
                    const AlbumLoudness* album =
                        a >= 0 ? &result.albums[static_cast<std::size_t>(a)] : nullptr;
                    const bool albumOk = album != nullptr && album->ok;
                    line +=
                        ", \"album\": " + (album != nullptr ? JsonString(album->name) : "null") +
                        ", \"album_gain_db\": " +
                        (albumOk ? Number(ReplayGainDb(album->values.integratedLufs), 2) : "null") +
                        ", \"album_peak\": " +
                        (albumOk ? Number(album->values.truePeak, 6) : "null");
                }
                if (!tagError.empty()) {
                    line += ", \"tags_error\": " + JsonString(tagError);
                }
            }
            console.PrintLine(line + "}");
            continue;
        }
        if (!ok) {
            console.PrintFields({"Error", path, reason});
            continue;
        }
        console.PrintFields({"OK", path, LufsText(t->values.integratedLufs), DbtpText(t->values),
                             LuText(t->values.rangeLu)});
        if (!tagError.empty()) {
            console.PrintFields({"Error", path, "tags not written: " + tagError});
        }
    }
    if (!json) {
        for (const AlbumLoudness& album : result.albums) {
            const std::string name = album.folder + "/" + album.name;
            if (album.ok) {
                console.PrintFields({"Album", name, LufsText(album.values.integratedLufs),
                                     DbtpText(album.values), LuText(album.values.rangeLu)});
            } else {
                console.PrintFields({"Error", name, album.reason});
            }
        }
    }
    std::fflush(stdout);
    console.Message(std::to_string(measured) + " of " + std::to_string(items.size()) +
                    " files measured, " + std::to_string(items.size() - measured) +
                    " not measured" + (Interrupted() ? " (interrupted)" : ""));
    if (Interrupted()) {
        return InterruptedExitStatus();
    }
    return failed == 0 && measured == items.size() ? 0 : 1;
}

}  // namespace sonvara::cli
