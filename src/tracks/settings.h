#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jobs/strings.h"

namespace sonvara {

class IProfileStore;

struct EncoderProperties {
    std::int32_t bitRateIndex = 2;  // 0..8: 64, 96, 128, 160, 192, 256, 320, 384, 448 kbit/s
    std::int32_t qualityIndex = 0;  // 0 normal (5), 1 low (9), 2 high (2)
    bool cbr = true;
    bool vbr = false;
};

enum class NormalizeMode { kPeak = 0, kLoudness = 1 };

// The seven settings that steer adding tracks, analysis and conversion, read fresh from the
// profile at every use. One reader for the window and the batch program: a stored value that
// cannot be used (not a number, a bit rate or quality index outside its table, a negative WAV
// format) reads as its default, and InvalidValues names each such value.
class CSettings {
public:
    explicit CSettings(IProfileStore& store) : m_Store(store) {}

    // The folder that receives converted files. Absent or stored empty: the default (the
    // user's Music folder on Linux, "c:" on Windows), returned without writing anything.
    std::string GetTrackDir();
    void SetTrackDir(const std::string& dir);
    // 0: PCM; anything else: IMA ADPCM.
    int GetWAVFormat();
    void SetWAVFormat(int format);
    bool GetID3Check();
    void SetID3Check(int on);
    bool GetNormalize();
    void SetNormalize(int on);
    // How Normalize works: to a common peak (the default, also for settings files without the
    // key) or to a target loudness. Keys "NormalizeMode" and "LoudnessTarget".
    NormalizeMode GetNormalizeMode();
    void SetNormalizeMode(NormalizeMode mode);
    // -23, -18, -16 or -14 LUFS; anything else reads as -18.
    int GetLoudnessTarget();
    void SetLoudnessTarget(int lufs);
    static bool IsLoudnessTarget(int lufs);
    bool GetConvertCorruptFiles();
    void SetConvertCorruptFiles(int on);
    // "DecodeCheck" (default off): the window's analysis also decodes every frame, as
    // `sonvara-cli analyze --decode` does.
    bool GetDecodeCheck();
    void SetDecodeCheck(int on);
    // Indexes outside their tables read as the defaults (bit rate 2, quality 0). The VBR flag
    // decides the mode, for the runs and the options sheet alike: cbr is always !vbr.
    EncoderProperties GetEncoderProperties();
    void SetEncoderProperties(const EncoderProperties& properties);

    static std::string DefaultTrackDir();

    // One message for each stored value that cannot be used, saying which default is used
    // instead (values quoted on one line and cut to a readable length). Empty: all is well.
    // The messages come from `strings`.
    std::vector<std::string> InvalidValues(const CStrings& strings = EnglishStrings());

private:
    // The messages of InvalidValues and the texts they come from.
    struct Problems {
        const CStrings& strings;
        std::vector<std::string> lines;
    };
    int ReadInt(const char* section, const char* name, int fallback, int min, int max,
                Problems* problems);
    EncoderProperties ReadEncoderProperties(Problems* problems);
    int ReadLoudnessTarget(Problems* problems);

    IProfileStore& m_Store;
};

}  // namespace sonvara
