#pragma once

class QWidget;

namespace sonvara {

class CSettings;
class CSonvaraDoc;

// Gives the document the four run dialogs (analysis and the three conversions): each job opens
// its dialog modally over the records and returns when the dialog has closed.
void InstallRunDialogs(CSonvaraDoc& doc, CSettings& settings, QWidget* parent);
// Whether this build has them (the jobs are disabled without).
bool HaveRunDialogs();

}  // namespace sonvara
