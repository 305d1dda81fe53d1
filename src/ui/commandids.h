#pragma once

namespace sonvara::cmd {

// The command ids of the menus, the toolbar, the accelerators and the context menus.
inline constexpr int kAnalyze = 1000;
inline constexpr int kMp3ToWav = 32782;
inline constexpr int kWavToMp3 = 32770;
inline constexpr int kMp3ToMp3 = 32785;
inline constexpr int kSaveResults = 57603;
inline constexpr int kMoveCorrupt = 32773;
inline constexpr int kExit = 57665;
inline constexpr int kEditTags = 32777;
inline constexpr int kAddTracks = 32790;
inline constexpr int kRemoveTracks = 32769;
inline constexpr int kPlayTrack = 32821;
inline constexpr int kStopPlaying = 32820;
inline constexpr int kSettings = 32771;
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;
inline constexpr int kHelpContents = 57667;
inline constexpr int kAbout = 57664;
inline constexpr int kNewDocument = 57600;
inline constexpr int kAnalyzeSelected = 32798;
inline constexpr int kMp3ToWavSelected = 32799;
inline constexpr int kWavToMp3Selected = 32800;
inline constexpr int kMp3ToMp3Selected = 32801;
inline constexpr int kRepair = 32840;
inline constexpr int kRepairSelected = 32841;
inline constexpr int kMeasureLoudness = 32850;
inline constexpr int kWriteReplayGain = 32851;
inline constexpr int kMeasureLoudnessSelected = 32852;
inline constexpr int kWriteReplayGainSelected = 32853;

// Status bar panes.
inline constexpr int kPaneTracks = 61484;
inline constexpr int kPaneWavs = 61485;
inline constexpr int kPaneMp3s = 61486;

}  // namespace sonvara::cmd
