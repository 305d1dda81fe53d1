#pragma once

class QWidget;

namespace sonvara {

// Gives the keyboard to the first control of a sheet's page that takes Tab focus (enabled and
// shown), as a sheet does when it opens: typing then goes into that control at once. Returns
// the control, or nullptr when the page has none.
QWidget* FocusFirstControl(QWidget* page);

}  // namespace sonvara
