#include "jobs/strings.h"

namespace sonvara {

const char* EnglishText(StringId id) {
    switch (id) {
        case StringId::kCheckNo: return "no";
        case StringId::kCheckOk: return "OK";
        case StringId::kCheckCorrupt: return "Corrupt";
        case StringId::kConvertNo: return "no";
        case StringId::kConvertCannot: return "can't convert";
        case StringId::kConvertWavToMp3: return "WAV -> MP3";
        case StringId::kConvertMp3ToWav: return "MP3 -> WAV";
        case StringId::kConvertMp3ToMp3: return "MP3 -> MP3";
        case StringId::kStageAnalyzing: return "Analyzing";
        case StringId::kStageConverting: return "Converting";
        case StringId::kStageNormalizing: return "Normalizing";
        case StringId::kLineOk: return "        ===> File OK! %s";
        case StringId::kLineCorrupt: return "        ===> FILE CORRUPT!!! %s Please convert.";
        case StringId::kLineAborted: return "Aborted at user request!";
        case StringId::kLineFailed: return "        ===> NOT CONVERTED: %s";
        case StringId::kLineUnreadable: return "        ===> NOT CHECKED: %s";
        case StringId::kAskOverwrite: return "The file \n%s\nalready exists, should it overwrite ?";
        case StringId::kNotEnoughSpace: return "Not enough disk free space";
        case StringId::kFreeSpaceUnknown: return "The free disk space of %s cannot be measured: %s";
        case StringId::kSameFolder:
            return "ATTENTION: The track directory for your original files AND\n"
                   "the directory for your output files are the same. If you\n"
                   "proceed the original file(s) will be overwritten.\n"
                   "Please change the track directory in the register \"General\".\n"
                   "Click on \"Settings\" to open the configuration dialog.";
        case StringId::kOutputIsSource:
            return "The output file\n%s\nis the source itself; it is not written.";
        case StringId::kTrackDirCannotBeCreated:
            return "The track directory %s cannot be created: %s";
        case StringId::kMoveFailed: return "%s cannot be moved: %s";
        case StringId::kStageRepairing: return "Repairing";
        case StringId::kLineRepaired: return "        ===> REPAIRED: %s";
        case StringId::kLineNothingToRepair: return "        ===> Nothing to repair";
        case StringId::kLineNotRepaired: return "        ===> NOT REPAIRED: %s";
        case StringId::kReportCannotWrite: return "%s: cannot write the report";
        case StringId::kMoveFolderCannotBeCreated: return "The folder %s cannot be created: %s";
        case StringId::kMoveKeptSameName:
            return "%s holds a file of the same name moved there a moment ago; this one stays "
                   "where it is";
        case StringId::kSettingInvalid:
            return "The setting %s cannot be used; the default %s is used instead.";
        case StringId::kSettingsDisagree:
            return "The settings %s contradict each other; %s is used.";
        case StringId::kSettingsCannotBeSaved:
            return "The settings cannot be saved (%s). Changes last until the program ends.";
        case StringId::kStageMeasuring: return "Measuring";
        case StringId::kStageWritingTags: return "Writing tags";
        case StringId::kLineLoudness: return "        ===> %s";
        case StringId::kLineAlbumLoudness: return "        ===> Album: %s";
        case StringId::kLineNotMeasured: return "        ===> NOT MEASURED: %s";
        case StringId::kLineTagsWritten: return "        ===> ReplayGain tags written: %s";
        case StringId::kLineTagsNotWritten: return "        ===> TAGS NOT WRITTEN: %s";
        case StringId::kReasonCannotOpen: return "cannot open: %s";
        case StringId::kReasonReadError: return "read error: %s";
        case StringId::kReasonNoFrames: return "no MPEG audio frames";
        case StringId::kReasonSameOutput: return "%s is also the output of %s";
        case StringId::kReasonWrittenByRun:
            return "%s was written by this run a moment ago; it is kept";
        case StringId::kReasonAppeared: return "%s appeared while converting; it is kept";
        case StringId::kReasonUnknown: return "unknown";
        case StringId::kNoteLoudness: return "(%s LUFS)";
        case StringId::kNoteLoudnessShort:
            return "(%s LUFS: target %s LUFS not reached, true peak held at %s dBTP)";
        case StringId::kNoteNotNormalised: return "(not normalised: %s)";
        case StringId::kMoveKeptExisting: return "%s already exists; kept";
        case StringId::kReasonNotReadableWav: return "not a readable WAV file";
        case StringId::kReasonNoAudio: return "no audio";
        case StringId::kReasonAlreadyListed: return "already listed";
        case StringId::kReasonCancelled: return "cancelled";
        case StringId::kReasonCutShort: return "the file was cut short";
        case StringId::kReasonReadFailed: return "read error";
        case StringId::kRepairSymlink: return "a symbolic link: repair the file it points to";
        case StringId::kRepairTooLarge: return "larger than 1 GiB: not repaired";
        case StringId::kRepairCannotWriteBeside: return "cannot write beside %s: %s";
        case StringId::kRepairCannotWrite: return "cannot write %s: %s";
        case StringId::kRepairCopyBad:
            return "the repaired copy did not check out; nothing was written";
        case StringId::kRepairCannotKeep: return "cannot keep the original as %s: %s";
        case StringId::kRepairNoBackupName: return "no free backup name beside %s";
        case StringId::kRepairSameName:
            return "another file of this name was repaired into the folder in this run";
        case StringId::kRepairOutputIsSource: return "the output folder holds the original itself";
        case StringId::kRepairExistsKept: return "%s exists and is kept";
        case StringId::kRepairAppeared: return "%s appeared meanwhile and is kept";
        case StringId::kRepairCannotReplace: return "cannot replace the original: %s";
        case StringId::kRepairWrittenTo: return "; written to %s";
        case StringId::kRepairOriginalKept: return "; the original is kept as %s";
        case StringId::kPlanEmptyFile: return "empty file";
        case StringId::kPlanRiff: return "a RIFF (WAV) file, not an MPEG audio stream";
        case StringId::kPlanNoStreamAfterTag:
            return "no MPEG audio stream after a broken ID3v2 tag";
        case StringId::kPlanNoStream: return "no MPEG audio stream found";
        case StringId::kPlanNoVbrRate: return "no bit rate holds a VBR header for this stream";
        case StringId::kPlanDroppedTag: return "dropped an ID3v2 tag that ran past the end";
        case StringId::kPlanDroppedJunk: return "dropped %s bytes of junk and partial frames";
        case StringId::kPlanDroppedOtherFormat: return "dropped %s frames of another format";
        case StringId::kPlanDroppedVbrHeaders:
            return "dropped %s VBR header frames inside the stream";
        case StringId::kPlanCorrectedHeader: return "corrected the %s header (%s frames)";
        case StringId::kPlanWroteHeader: return "wrote a %s header (%s frames)";
        case StringId::kPlanKept: return "kept %s frames";
        case StringId::kFindingAudioDamaged: return "audio data damaged at %s: %s";
        case StringId::kReasonCannotMeasure: return "cannot measure %s channels at %s Hz";
        case StringId::kFindingInvalidHeader1: return ", %s invalid header in it";
        case StringId::kFindingInvalidHeaders: return ", %s invalid headers in it";
        case StringId::kFindingJunkBefore: return "%s bytes before the first frame%s";
        case StringId::kFindingLostSync:
            return "%s bytes of junk where the next frame should start%s";
        case StringId::kFindingBadHeader: return "header %s: %s; %s bytes up to the next frame";
        case StringId::kHeaderReservedVersion: return "reserved version";
        case StringId::kHeaderReservedLayer: return "reserved layer";
        case StringId::kHeaderReservedRate: return "reserved sample rate";
        case StringId::kHeaderForbiddenRate: return "forbidden bit rate";
        case StringId::kHeaderFreeFormat: return "free-format bit rate";
        case StringId::kHeaderRateNotAllowed: return "bit rate not allowed in this channel mode";
        case StringId::kFindingTagInAudio:
            return "%s where the next frame should start; %s bytes up to the next frame";
        case StringId::kTagId3v2: return "an ID3v2 tag";
        case StringId::kTagId3v1: return "an ID3v1 tag";
        case StringId::kTagApe: return "an APE tag";
        case StringId::kFindingTruncated: return "a frame of %s bytes, only %s present";
        case StringId::kFindingFormatChange: return "%s, then %s";
        case StringId::kFindingVbrMismatch:
            return "%s header states %s frames and %s bytes; the stream has %s frames and %s bytes";
        case StringId::kFindingCrc: return "stored CRC %s, computed %s";
        case StringId::kFindingTagPastEnd: return "the tag claims %s bytes, the file has %s";
        case StringId::kFindingTrailing: return "%s bytes after the last frame%s";
        case StringId::kListColumns: return "File;Check;Convert;Title;Artist;Album;Length;Path;";
        case StringId::kReportTitle: return "Analysis Results";
    }
    return "";
}

const CStrings& EnglishStrings() {
    static const CStrings english;
    return english;
}

std::string CStrings::Text(StringId id) const {
    const char* english = EnglishText(id);
    if (m_Lookup) {
        std::string translated = m_Lookup(id, english);
        if (!translated.empty()) {
            return translated;
        }
    }
    return english;
}

std::string CStrings::Text(StringId id, const std::string& arg1, const std::string& arg2,
                           const std::string& arg3) const {
    return TextWith(id, {arg1, arg2, arg3});
}

std::string CStrings::TextWith(StringId id, const std::vector<std::string>& args) const {
    const std::string pattern = Text(id);
    std::string out;
    out.reserve(pattern.size() + 16 * args.size());
    std::size_t used = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's') {
            if (used < args.size()) {
                out += args[used];
            }
            ++used;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace sonvara
