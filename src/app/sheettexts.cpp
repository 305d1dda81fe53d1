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
};
// clang-format on
}  // namespace

}  // namespace sonvara
