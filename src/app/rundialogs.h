#pragma once

#include "playback/waveoutdevice.h"

class QWidget;

namespace sonvara {

class CHelpContext;
class CListSelectedTracksListView;
class CSettings;
class CSonvaraDoc;
class CTrackPlayback;

// Gives the document the four run dialogs (analysis and the three conversions: each job opens
// its dialog modally over the records and returns when it has closed) and the track properties
// sheet behind "&Edit ID3-Tags", whose player plays on the devices makeDevice makes. Each
// dialog sets its page on the program's help-context number `help` while it is open.
void InstallRunDialogs(CSonvaraDoc& doc, CSettings& settings, CHelpContext& help,
                       WaveOutDeviceFactory makeDevice, QWidget* parent);

// Gives the working list its playback: "&Play Track", "&Stop Playing" and the stop that every
// job does first.
void InstallPlayback(CListSelectedTracksListView& view, CTrackPlayback& playback);

}  // namespace sonvara
