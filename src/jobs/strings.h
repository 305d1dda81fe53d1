#pragma once

#include <functional>
#include <string>
#include <vector>

namespace sonvara {

// Every text the core shows a user: result lines, stage words, states, questions, messages and
// report labels. Ids with a number of the window's string table keep that number.
enum class StringId : int {
    kCheckNo = 1,
    kCheckOk,
    kCheckCorrupt,
    kConvertNo,
    kConvertCannot,
    kConvertWavToMp3,
    kConvertMp3ToWav,
    kConvertMp3ToMp3,
    kStageAnalyzing,
    kStageConverting,
    kStageNormalizing,
    kLineOk,       // "        ===> File OK! %s"
    kLineCorrupt,  // "        ===> FILE CORRUPT!!! %s Please convert."
    kLineAborted,
    kLineFailed,      // a track that could not be converted, with its reason
    kLineUnreadable,  // a track that could not be checked, with its reason
    kAskOverwrite,    // "The file \n%s\nalready exists, should it overwrite ?"
    kNotEnoughSpace,
    kFreeSpaceUnknown,
    kSameFolder,
    kOutputIsSource,
    kTrackDirCannotBeCreated,
    kMoveFailed,
    kReportCannotWrite,
    kMoveFolderCannotBeCreated,  // "The folder %s cannot be created: %s"
    kMoveKeptSameName,           // "%s holds a file moved there a moment ago; ..."
    kSettingInvalid,             // a stored setting that cannot be used, and its default
    kSettingsDisagree,           // two settings that contradict each other, and what is used
    kSettingsCannotBeSaved,      // the settings file cannot be written, with the reason
    kStageRepairing,
    kLineRepaired,         // "        ===> REPAIRED: %s"
    kLineNothingToRepair,  // "        ===> Nothing to repair"
    kLineNotRepaired,      // "        ===> NOT REPAIRED: %s"
    kStageMeasuring,
    kStageWritingTags,
    kLineLoudness,          // "        ===> %s" (LUFS, dBTP, LU)
    kLineAlbumLoudness,     // "        ===> Album: %s"
    kLineNotMeasured,       // with the reason
    kLineTagsWritten,       // with the track gain
    kLineTagsNotWritten,    // with the reason
    kReasonCannotOpen,      // "cannot open: %s" (the system's words)
    kReasonReadError,       // "read error: %s"
    kReasonNoFrames,        // a file without a single MPEG audio frame
    kReasonSameOutput,      // "%s is also the output of %s"
    kReasonWrittenByRun,    // an output this run wrote a moment ago, kept
    kReasonAppeared,        // an output that appeared while converting, kept
    kReasonUnknown,         // a reason the system did not give
    kNoteLoudness,          // "(%s LUFS)", after a loudness-normalised conversion
    kNoteLoudnessShort,     // the target not reached, the true peak held
    kNoteNotNormalised,     // "(not normalised: %s)"
    kMoveKeptExisting,      // "%s already exists; kept"
    kReasonNotReadableWav,  // a WAV file without readable audio
    kReasonNoAudio,         // a file that holds no audio
    kReasonAlreadyListed,   // a path the list holds already
    kReasonCancelled,       // a file not read: the user stopped before it
    kReasonCutShort,
    kReasonReadFailed,
    kRepairSymlink,
    kRepairTooLarge,
    kRepairCannotWriteBeside,
    kRepairCannotWrite,
    kRepairCopyBad,
    kRepairCannotKeep,
    kRepairNoBackupName,
    kRepairSameName,
    kRepairOutputIsSource,
    kRepairExistsKept,
    kRepairAppeared,
    kRepairCannotReplace,
    kRepairWrittenTo,
    kRepairOriginalKept,
    kPlanEmptyFile,
    kPlanRiff,
    kPlanNoStreamAfterTag,
    kPlanNoStream,
    kPlanNoVbrRate,
    kPlanDroppedTag,
    kPlanDroppedJunk,
    kPlanDroppedOtherFormat,
    kPlanDroppedVbrHeaders,
    kPlanCorrectedHeader,
    kPlanWroteHeader,
    kPlanKept,
    kFindingAudioDamaged,
    kReasonCannotMeasure,
    kFindingInvalidHeader1,
    kFindingInvalidHeaders,
    kFindingJunkBefore,
    kFindingLostSync,
    kFindingBadHeader,
    kHeaderReservedVersion,
    kHeaderReservedLayer,
    kHeaderReservedRate,
    kHeaderForbiddenRate,
    kHeaderFreeFormat,
    kHeaderRateNotAllowed,
    kFindingTagInAudio,
    kTagId3v2,
    kTagId3v1,
    kTagApe,
    kFindingTruncated,
    kFindingFormatChange,
    kFindingVbrMismatch,
    kFindingCrc,
    kFindingTagPastEnd,
    kFindingTrailing,
    kListColumns = 61448,  // "File;Check;Convert;Title;Artist;Album;Length;Path;"
    kReportTitle = 61452,  // "Analysis Results"
};

// The built-in English text of an id ("" for an unknown id).
const char* EnglishText(StringId id);

// Translates an id's English text ("": English is kept). It may be called from any thread.
using StringLookup = std::function<std::string(StringId id, const char* english)>;

// The core's texts in one language: English, or what the lookup gives. A program makes one (the
// window from its translator, the CLI its own in English) and hands it to the runs and to what
// makes texts; it does not change afterwards, so any thread may read it.
class CStrings {
public:
    CStrings() = default;  // English
    explicit CStrings(StringLookup lookup) : m_Lookup(std::move(lookup)) {}

    // The text of an id.
    std::string Text(StringId id) const;
    // Text(id) with each "%s" replaced, in order, by the arguments given (missing ones by "").
    std::string Text(StringId id, const std::string& arg1, const std::string& arg2 = {},
                     const std::string& arg3 = {}) const;
    // The same with any number of arguments.
    std::string TextWith(StringId id, const std::vector<std::string>& args) const;

private:
    StringLookup m_Lookup;
};

// The English texts, for what is given no other table.
const CStrings& EnglishStrings();

}  // namespace sonvara
