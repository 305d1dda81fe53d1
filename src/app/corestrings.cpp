// The core's texts for the translation tools: each id of the core's string table with its
// English text, in the context "CoreStrings"; the comment tells apart texts that are the same
// in English.
#include <QCoreApplication>

#include "app/corestrings.h"

namespace sonvara {

namespace {
struct Entry {
    StringId id;
    struct {
        const char* source;
        const char* comment;
    } text;
};

// clang-format off
const Entry kEntries[] = {
    {StringId::kCheckNo, QT_TRANSLATE_NOOP3("CoreStrings", "no", "analysis column")},
    {StringId::kCheckOk, QT_TRANSLATE_NOOP3("CoreStrings", "OK", "analysis column")},
    {StringId::kCheckCorrupt, QT_TRANSLATE_NOOP3("CoreStrings", "Corrupt", "analysis column")},
    {StringId::kConvertNo, QT_TRANSLATE_NOOP3("CoreStrings", "no", "conversion column")},
    {StringId::kConvertCannot, QT_TRANSLATE_NOOP3("CoreStrings", "can't convert", "conversion column")},
    {StringId::kConvertWavToMp3, QT_TRANSLATE_NOOP3("CoreStrings", "WAV -> MP3", "conversion column")},
    {StringId::kConvertMp3ToWav, QT_TRANSLATE_NOOP3("CoreStrings", "MP3 -> WAV", "conversion column")},
    {StringId::kConvertMp3ToMp3, QT_TRANSLATE_NOOP3("CoreStrings", "MP3 -> MP3", "conversion column")},
    {StringId::kStageAnalyzing, QT_TRANSLATE_NOOP3("CoreStrings", "Analyzing", "stage")},
    {StringId::kStageRepairing, QT_TRANSLATE_NOOP3("CoreStrings", "Repairing", "stage")},
    {StringId::kLineRepaired, QT_TRANSLATE_NOOP3("CoreStrings", "        ===> REPAIRED: %s", "result line")},
    {StringId::kLineNothingToRepair, QT_TRANSLATE_NOOP3("CoreStrings", "        ===> Nothing to repair", "result line")},
    {StringId::kLineNotRepaired, QT_TRANSLATE_NOOP3("CoreStrings", "        ===> NOT REPAIRED: %s", "result line")},
    {StringId::kStageConverting, QT_TRANSLATE_NOOP3("CoreStrings", "Converting", "stage")},
    {StringId::kStageNormalizing, QT_TRANSLATE_NOOP3("CoreStrings", "Normalizing", "stage")},
    {StringId::kLineOk, QT_TRANSLATE_NOOP3("CoreStrings", "        ===> File OK! %s", "result line")},
    {StringId::kLineCorrupt, QT_TRANSLATE_NOOP3("CoreStrings", "        ===> FILE CORRUPT!!! %s Please convert.", "result line")},
    {StringId::kLineAborted, QT_TRANSLATE_NOOP3("CoreStrings", "Aborted at user request!", "result line")},
    {StringId::kLineFailed, QT_TRANSLATE_NOOP3("CoreStrings", "        ===> NOT CONVERTED: %s", "result line")},
    {StringId::kLineUnreadable, QT_TRANSLATE_NOOP3("CoreStrings", "        ===> NOT CHECKED: %s", "result line")},
    {StringId::kAskOverwrite, QT_TRANSLATE_NOOP3("CoreStrings", "The file \n%s\nalready exists, should it overwrite ?", "question")},
    {StringId::kNotEnoughSpace, QT_TRANSLATE_NOOP3("CoreStrings", "Not enough disk free space", "message")},
    {StringId::kFreeSpaceUnknown, QT_TRANSLATE_NOOP3("CoreStrings", "The free disk space of %s cannot be measured: %s", "message")},
    {StringId::kSameFolder, QT_TRANSLATE_NOOP3("CoreStrings",
        "ATTENTION: The track directory for your original files AND\n"
        "the directory for your output files are the same. If you\n"
        "proceed the original file(s) will be overwritten.\n"
        "Please change the track directory in the register \"General\".\n"
        "Click on \"Settings\" to open the configuration dialog.", "message")},
    {StringId::kOutputIsSource, QT_TRANSLATE_NOOP3("CoreStrings", "The output file\n%s\nis the source itself; it is not written.", "message")},
    {StringId::kTrackDirCannotBeCreated, QT_TRANSLATE_NOOP3("CoreStrings", "The track directory %s cannot be created: %s", "message")},
    {StringId::kMoveFailed, QT_TRANSLATE_NOOP3("CoreStrings", "%s cannot be moved: %s", "message")},
    {StringId::kReportCannotWrite, QT_TRANSLATE_NOOP3("CoreStrings", "%s: cannot write the report", "message")},
    {StringId::kMoveFolderCannotBeCreated, QT_TRANSLATE_NOOP3("CoreStrings", "The folder %s cannot be created: %s", "message")},
    {StringId::kMoveKeptSameName, QT_TRANSLATE_NOOP3("CoreStrings",
        "%s holds a file of the same name moved there a moment ago; this one stays where it is", "message")},
    {StringId::kSettingInvalid, QT_TRANSLATE_NOOP3("CoreStrings", "The setting %s cannot be used; the default %s is used instead.", "message")},
    {StringId::kSettingsDisagree, QT_TRANSLATE_NOOP3("CoreStrings", "The settings %s contradict each other; %s is used.", "message")},
    {StringId::kSettingsCannotBeSaved, QT_TRANSLATE_NOOP3("CoreStrings", "The settings cannot be saved (%s). Changes last until the program ends.", "message")},
    {StringId::kStageMeasuring, QT_TRANSLATE_NOOP3("CoreStrings", "Measuring", "stage")},
    {StringId::kStageWritingTags, QT_TRANSLATE_NOOP3("CoreStrings", "Writing tags", "stage")},
    {StringId::kLineLoudness, QT_TRANSLATE_NOOP3("CoreStrings", "        ===> %s", "result line")},
    {StringId::kLineAlbumLoudness, QT_TRANSLATE_NOOP3("CoreStrings", "        ===> Album: %s", "result line")},
    {StringId::kLineNotMeasured, QT_TRANSLATE_NOOP3("CoreStrings", "        ===> NOT MEASURED: %s", "result line")},
    {StringId::kLineTagsWritten, QT_TRANSLATE_NOOP3("CoreStrings", "        ===> ReplayGain tags written: %s", "result line")},
    {StringId::kLineTagsNotWritten, QT_TRANSLATE_NOOP3("CoreStrings", "        ===> TAGS NOT WRITTEN: %s", "result line")},
    {StringId::kReasonCannotOpen, QT_TRANSLATE_NOOP3("CoreStrings", "cannot open: %s", "reason")},
    {StringId::kReasonReadError, QT_TRANSLATE_NOOP3("CoreStrings", "read error: %s", "reason")},
    {StringId::kReasonNoFrames, QT_TRANSLATE_NOOP3("CoreStrings", "no MPEG audio frames", "reason")},
    {StringId::kReasonSameOutput, QT_TRANSLATE_NOOP3("CoreStrings", "%s is also the output of %s", "reason")},
    {StringId::kReasonWrittenByRun, QT_TRANSLATE_NOOP3("CoreStrings", "%s was written by this run a moment ago; it is kept", "reason")},
    {StringId::kReasonAppeared, QT_TRANSLATE_NOOP3("CoreStrings", "%s appeared while converting; it is kept", "reason")},
    {StringId::kReasonUnknown, QT_TRANSLATE_NOOP3("CoreStrings", "unknown", "reason")},
    {StringId::kNoteLoudness, QT_TRANSLATE_NOOP3("CoreStrings", "(%s LUFS)", "result line")},
    {StringId::kNoteLoudnessShort, QT_TRANSLATE_NOOP3("CoreStrings", "(%s LUFS: target %s LUFS not reached, true peak held at %s dBTP)", "result line")},
    {StringId::kNoteNotNormalised, QT_TRANSLATE_NOOP3("CoreStrings", "(not normalised: %s)", "result line")},
    {StringId::kMoveKeptExisting, QT_TRANSLATE_NOOP3("CoreStrings", "%s already exists; kept", "reason")},
    {StringId::kReasonNotReadableWav, QT_TRANSLATE_NOOP3("CoreStrings", "not a readable WAV file", "reason")},
    {StringId::kReasonNoAudio, QT_TRANSLATE_NOOP3("CoreStrings", "no audio", "reason")},
    {StringId::kReasonAlreadyListed, QT_TRANSLATE_NOOP3("CoreStrings", "already listed", "reason")},
    {StringId::kReasonCancelled, QT_TRANSLATE_NOOP3("CoreStrings", "cancelled", "reason")},
    {StringId::kReasonCutShort, QT_TRANSLATE_NOOP3("CoreStrings", "the file was cut short", "reason")},
    {StringId::kReasonReadFailed, QT_TRANSLATE_NOOP3("CoreStrings", "read error", "reason")},
    {StringId::kRepairSymlink, QT_TRANSLATE_NOOP3("CoreStrings", "a symbolic link: repair the file it points to", "reason")},
    {StringId::kRepairTooLarge, QT_TRANSLATE_NOOP3("CoreStrings", "larger than 1 GiB: not repaired", "reason")},
    {StringId::kRepairCannotWriteBeside, QT_TRANSLATE_NOOP3("CoreStrings", "cannot write beside %s: %s", "reason")},
    {StringId::kRepairCannotWrite, QT_TRANSLATE_NOOP3("CoreStrings", "cannot write %s: %s", "reason")},
    {StringId::kRepairCopyBad, QT_TRANSLATE_NOOP3("CoreStrings", "the repaired copy did not check out; nothing was written", "reason")},
    {StringId::kRepairCannotKeep, QT_TRANSLATE_NOOP3("CoreStrings", "cannot keep the original as %s: %s", "reason")},
    {StringId::kRepairNoBackupName, QT_TRANSLATE_NOOP3("CoreStrings", "no free backup name beside %s", "reason")},
    {StringId::kRepairSameName, QT_TRANSLATE_NOOP3("CoreStrings", "another file of this name was repaired into the folder in this run", "reason")},
    {StringId::kRepairOutputIsSource, QT_TRANSLATE_NOOP3("CoreStrings", "the output folder holds the original itself", "reason")},
    {StringId::kRepairExistsKept, QT_TRANSLATE_NOOP3("CoreStrings", "%s exists and is kept", "reason")},
    {StringId::kRepairAppeared, QT_TRANSLATE_NOOP3("CoreStrings", "%s appeared meanwhile and is kept", "reason")},
    {StringId::kRepairCannotReplace, QT_TRANSLATE_NOOP3("CoreStrings", "cannot replace the original: %s", "reason")},
    {StringId::kRepairWrittenTo, QT_TRANSLATE_NOOP3("CoreStrings", "; written to %s", "result line")},
    {StringId::kRepairOriginalKept, QT_TRANSLATE_NOOP3("CoreStrings", "; the original is kept as %s", "result line")},
    {StringId::kPlanEmptyFile, QT_TRANSLATE_NOOP3("CoreStrings", "empty file", "reason")},
    {StringId::kPlanRiff, QT_TRANSLATE_NOOP3("CoreStrings", "a RIFF (WAV) file, not an MPEG audio stream", "reason")},
    {StringId::kPlanNoStreamAfterTag, QT_TRANSLATE_NOOP3("CoreStrings", "no MPEG audio stream after a broken ID3v2 tag", "reason")},
    {StringId::kPlanNoStream, QT_TRANSLATE_NOOP3("CoreStrings", "no MPEG audio stream found", "reason")},
    {StringId::kPlanNoVbrRate, QT_TRANSLATE_NOOP3("CoreStrings", "no bit rate holds a VBR header for this stream", "reason")},
    {StringId::kPlanDroppedTag, QT_TRANSLATE_NOOP3("CoreStrings", "dropped an ID3v2 tag that ran past the end", "result line")},
    {StringId::kPlanDroppedJunk, QT_TRANSLATE_NOOP3("CoreStrings", "dropped %s bytes of junk and partial frames", "result line")},
    {StringId::kPlanDroppedOtherFormat, QT_TRANSLATE_NOOP3("CoreStrings", "dropped %s frames of another format", "result line")},
    {StringId::kPlanDroppedVbrHeaders, QT_TRANSLATE_NOOP3("CoreStrings", "dropped %s VBR header frames inside the stream", "result line")},
    {StringId::kPlanCorrectedHeader, QT_TRANSLATE_NOOP3("CoreStrings", "corrected the %s header (%s frames)", "result line")},
    {StringId::kPlanWroteHeader, QT_TRANSLATE_NOOP3("CoreStrings", "wrote a %s header (%s frames)", "result line")},
    {StringId::kPlanKept, QT_TRANSLATE_NOOP3("CoreStrings", "kept %s frames", "result line")},
    {StringId::kFindingAudioDamaged, QT_TRANSLATE_NOOP3("CoreStrings", "audio data damaged at %s: %s", "finding")},
    {StringId::kReasonCannotMeasure, QT_TRANSLATE_NOOP3("CoreStrings", "cannot measure %s channels at %s Hz", "reason")},
    {StringId::kFindingInvalidHeader1, QT_TRANSLATE_NOOP3("CoreStrings", ", %s invalid header in it", "finding")},
    {StringId::kFindingInvalidHeaders, QT_TRANSLATE_NOOP3("CoreStrings", ", %s invalid headers in it", "finding")},
    {StringId::kFindingJunkBefore, QT_TRANSLATE_NOOP3("CoreStrings", "%s bytes before the first frame%s", "finding")},
    {StringId::kFindingLostSync, QT_TRANSLATE_NOOP3("CoreStrings", "%s bytes of junk where the next frame should start%s", "finding")},
    {StringId::kFindingBadHeader, QT_TRANSLATE_NOOP3("CoreStrings", "header %s: %s; %s bytes up to the next frame", "finding")},
    {StringId::kHeaderReservedVersion, QT_TRANSLATE_NOOP3("CoreStrings", "reserved version", "finding")},
    {StringId::kHeaderReservedLayer, QT_TRANSLATE_NOOP3("CoreStrings", "reserved layer", "finding")},
    {StringId::kHeaderReservedRate, QT_TRANSLATE_NOOP3("CoreStrings", "reserved sample rate", "finding")},
    {StringId::kHeaderForbiddenRate, QT_TRANSLATE_NOOP3("CoreStrings", "forbidden bit rate", "finding")},
    {StringId::kHeaderFreeFormat, QT_TRANSLATE_NOOP3("CoreStrings", "free-format bit rate", "finding")},
    {StringId::kHeaderRateNotAllowed, QT_TRANSLATE_NOOP3("CoreStrings", "bit rate not allowed in this channel mode", "finding")},
    {StringId::kFindingTagInAudio, QT_TRANSLATE_NOOP3("CoreStrings", "%s where the next frame should start; %s bytes up to the next frame", "finding")},
    {StringId::kTagId3v2, QT_TRANSLATE_NOOP3("CoreStrings", "an ID3v2 tag", "finding")},
    {StringId::kTagId3v1, QT_TRANSLATE_NOOP3("CoreStrings", "an ID3v1 tag", "finding")},
    {StringId::kTagApe, QT_TRANSLATE_NOOP3("CoreStrings", "an APE tag", "finding")},
    {StringId::kFindingTruncated, QT_TRANSLATE_NOOP3("CoreStrings", "a frame of %s bytes, only %s present", "finding")},
    {StringId::kFindingFormatChange, QT_TRANSLATE_NOOP3("CoreStrings", "%s, then %s", "finding")},
    {StringId::kFindingVbrMismatch, QT_TRANSLATE_NOOP3("CoreStrings", "%s header states %s frames and %s bytes; the stream has %s frames and %s bytes", "finding")},
    {StringId::kFindingCrc, QT_TRANSLATE_NOOP3("CoreStrings", "stored CRC %s, computed %s", "finding")},
    {StringId::kFindingTagPastEnd, QT_TRANSLATE_NOOP3("CoreStrings", "the tag claims %s bytes, the file has %s", "finding")},
    {StringId::kFindingTrailing, QT_TRANSLATE_NOOP3("CoreStrings", "%s bytes after the last frame%s", "finding")},
    {StringId::kListColumns, QT_TRANSLATE_NOOP3("CoreStrings", "File;Check;Convert;Title;Artist;Album;Length;Path;", "column titles")},
    {StringId::kReportTitle, QT_TRANSLATE_NOOP3("CoreStrings", "Analysis Results", "report")},
};
// clang-format on
}  // namespace

std::vector<CoreString> CoreStrings() {
    std::vector<CoreString> out;
    for (const Entry& entry : kEntries) {
        out.push_back({entry.id, entry.text.source, entry.text.comment});
    }
    return out;
}

const char* CoreStringComment(StringId id) {
    for (const Entry& entry : kEntries) {
        if (entry.id == id) {
            return entry.text.comment;
        }
    }
    return nullptr;
}

StringLookup CoreStringLookup() {
    // QCoreApplication::translate may be called from any thread, as the runs' workers do;
    // without a translation it gives the English text back.
    return [](StringId id, const char* english) {
        return QCoreApplication::translate("CoreStrings", english, CoreStringComment(id))
            .toStdString();
    };
}

}  // namespace sonvara
