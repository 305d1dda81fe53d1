// The texts of the track properties sheet, which looks them up in the context
// "CAudioElementSheet" by value: listed here so that the translation tools find them.
#include <QCoreApplication>

namespace sonvara {

namespace {
// clang-format off
[[maybe_unused]] const char* const kPropertiesSheetTexts[] = {
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Album"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Album:"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Artist"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Artist:"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Change && next"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Change && previous"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "File"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "File:"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Format"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Format:"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Length"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Length:"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Play"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Position"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Position:"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Properties"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Properties of: %1"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Sampling Rate"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Sampling Rate:"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Stop"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "The tags could not be saved.\n\n%1"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Title"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Title:"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Junk before the first frame"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Lost sync"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Invalid frame header"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Truncated last frame"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Stream format changes"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "VBR header disagrees"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "CRC mismatch"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "ID3v2 tag runs past the end"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Tag inside the audio"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Data after the last frame"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Audio data damaged"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Findings"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Severity"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Kind"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Time"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Offset"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "What"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Only MP3 files are checked frame by frame."),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Not checked: %1"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "OK"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Corrupt"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "%1: %2 frames, nothing found."),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "%1: %2 frames, %3 findings."),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Error"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Warning"),
    QT_TRANSLATE_NOOP("CAudioElementSheet", "Check"),
};
// clang-format on
}  // namespace

}  // namespace sonvara
