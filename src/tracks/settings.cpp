#include "tracks/settings.h"

#include "platform/paths.h"
#include "tracks/profilestore.h"

namespace sonvara {

namespace {
const char* const kGeneral = "GeneralProperties";
const char* const kEncoder = "EncoderProperties";
}  // namespace

std::string CSettings::DefaultTrackDir() {
#ifdef _WIN32
    return "c:";
#else
    return MusicFolder();
#endif
}

std::string CSettings::GetTrackDir() {
    const std::string dir = m_Store.GetString(kGeneral, "TrackDir", DefaultTrackDir());
    if (!dir.empty()) {
        return dir;
    }
    // Healed in memory only: reading a setting never writes the profile (only the options
    // sheet does), so a run cannot change the stored settings.
#ifdef _WIN32
    return "C:";
#else
    return DefaultTrackDir();
#endif
}

void CSettings::SetTrackDir(const std::string& dir) {
    m_Store.SetString(kGeneral, "TrackDir", dir);
}

int CSettings::GetWAVFormat() {
    return m_Store.GetInt(kGeneral, "WAVFormat", 0);
}
void CSettings::SetWAVFormat(int format) {
    m_Store.SetInt(kGeneral, "WAVFormat", format);
}

bool CSettings::GetID3Check() {
    return m_Store.GetInt(kGeneral, "ID3Check", 1) != 0;
}
void CSettings::SetID3Check(int on) {
    m_Store.SetInt(kGeneral, "ID3Check", on & 0xFF);
}

bool CSettings::GetNormalize() {
    return m_Store.GetInt(kGeneral, "Normalize", 1) != 0;
}
void CSettings::SetNormalize(int on) {
    m_Store.SetInt(kGeneral, "Normalize", on & 0xFF);
}

NormalizeMode CSettings::GetNormalizeMode() {
    return m_Store.GetInt(kGeneral, "NormalizeMode", 0) == 1 ? NormalizeMode::kLoudness
                                                             : NormalizeMode::kPeak;
}
void CSettings::SetNormalizeMode(NormalizeMode mode) {
    m_Store.SetInt(kGeneral, "NormalizeMode", static_cast<int>(mode));
}

bool CSettings::IsLoudnessTarget(int lufs) {
    return lufs == -23 || lufs == -18 || lufs == -16 || lufs == -14;
}
int CSettings::GetLoudnessTarget() {
    const int lufs = m_Store.GetInt(kGeneral, "LoudnessTarget", -18);
    return IsLoudnessTarget(lufs) ? lufs : -18;
}
void CSettings::SetLoudnessTarget(int lufs) {
    m_Store.SetInt(kGeneral, "LoudnessTarget", lufs);
}

bool CSettings::GetConvertCorruptFiles() {
    return m_Store.GetInt(kGeneral, "ConvertCorruptFiles", 1) != 0;
}
void CSettings::SetConvertCorruptFiles(int on) {
    m_Store.SetInt(kGeneral, "ConvertCorruptFiles", on & 0xFF);
}

EncoderProperties CSettings::GetEncoderProperties() {
    EncoderProperties p;
    p.bitRateIndex = m_Store.GetInt(kEncoder, "BitRate", 2);
    p.qualityIndex = m_Store.GetInt(kEncoder, "Quality", 0);
    p.cbr = m_Store.GetInt(kEncoder, "CBR", -1) != 0;
    p.vbr = m_Store.GetInt(kEncoder, "VBR", 0) != 0;
    if (p.bitRateIndex < 0 || p.bitRateIndex > 8) {
        p.bitRateIndex = 2;
    }
    if (p.qualityIndex < 0 || p.qualityIndex > 2) {
        p.qualityIndex = 0;
    }
    return p;
}

void CSettings::SetEncoderProperties(const EncoderProperties& p) {
    m_Store.SetInt(kEncoder, "BitRate", p.bitRateIndex);
    m_Store.SetInt(kEncoder, "Quality", p.qualityIndex);
    m_Store.SetInt(kEncoder, "CBR", p.cbr ? 1 : 0);
    m_Store.SetInt(kEncoder, "VBR", p.vbr ? 1 : 0);
}

}  // namespace sonvara
