#include "tracks/settings.h"

#include <charconv>
#include <climits>

#include "jobs/strings.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "tracks/profilestore.h"

namespace sonvara {

namespace {
const char* const kGeneral = "GeneralProperties";
const char* const kEncoder = "EncoderProperties";

// The whole text as a decimal integer (spaces around it allowed), or nothing.
std::optional<int> ParseInt(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+') {
        ++begin;
    }
    int value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}
}  // namespace

int CSettings::ReadInt(const char* section, const char* name, int fallback, int min, int max,
                       Problems* problems) {
    const std::optional<std::string> text = m_Store.GetText(section, name);
    if (!text) {
        return fallback;  // absent: the default, without a word
    }
    const std::optional<int> value = ParseInt(*text);
    if (value && *value >= min && *value <= max) {
        return *value;
    }
    if (problems != nullptr) {
        problems->lines.push_back(
            problems->strings.Text(StringId::kSettingInvalid,
                                   std::string(section) + "/" + name + "=" + ShortForMessage(*text),
                                   std::to_string(fallback)));
    }
    return fallback;
}

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
    return ReadInt(kGeneral, "WAVFormat", 0, 0, INT_MAX, nullptr);
}
void CSettings::SetWAVFormat(int format) {
    m_Store.SetInt(kGeneral, "WAVFormat", format);
}

bool CSettings::GetID3Check() {
    return ReadInt(kGeneral, "ID3Check", 1, INT_MIN, INT_MAX, nullptr) != 0;
}
void CSettings::SetID3Check(int on) {
    m_Store.SetInt(kGeneral, "ID3Check", on & 0xFF);
}

bool CSettings::GetNormalize() {
    return ReadInt(kGeneral, "Normalize", 1, INT_MIN, INT_MAX, nullptr) != 0;
}
void CSettings::SetNormalize(int on) {
    m_Store.SetInt(kGeneral, "Normalize", on & 0xFF);
}

NormalizeMode CSettings::GetNormalizeMode() {
    return ReadInt(kGeneral, "NormalizeMode", 0, 0, 1, nullptr) == 1 ? NormalizeMode::kLoudness
                                                                     : NormalizeMode::kPeak;
}
void CSettings::SetNormalizeMode(NormalizeMode mode) {
    m_Store.SetInt(kGeneral, "NormalizeMode", static_cast<int>(mode));
}

bool CSettings::IsLoudnessTarget(int lufs) {
    return lufs == -23 || lufs == -18 || lufs == -16 || lufs == -14;
}
int CSettings::GetLoudnessTarget() {
    return ReadLoudnessTarget(nullptr);
}

int CSettings::ReadLoudnessTarget(Problems* problems) {
    const int lufs = ReadInt(kGeneral, "LoudnessTarget", -18, -23, -14, problems);
    if (IsLoudnessTarget(lufs)) {
        return lufs;
    }
    if (problems != nullptr) {  // within the range, but none of the four targets
        problems->lines.push_back(problems->strings.Text(
            StringId::kSettingInvalid,
            std::string(kGeneral) + "/LoudnessTarget=" + std::to_string(lufs), "-18"));
    }
    return -18;
}
void CSettings::SetLoudnessTarget(int lufs) {
    m_Store.SetInt(kGeneral, "LoudnessTarget", lufs);
}

bool CSettings::GetConvertCorruptFiles() {
    return ReadInt(kGeneral, "ConvertCorruptFiles", 1, INT_MIN, INT_MAX, nullptr) != 0;
}
void CSettings::SetConvertCorruptFiles(int on) {
    m_Store.SetInt(kGeneral, "ConvertCorruptFiles", on & 0xFF);
}

bool CSettings::GetDecodeCheck() {
    return ReadInt(kGeneral, "DecodeCheck", 0, INT_MIN, INT_MAX, nullptr) != 0;
}
void CSettings::SetDecodeCheck(int on) {
    m_Store.SetInt(kGeneral, "DecodeCheck", on & 0xFF);
}

EncoderProperties CSettings::GetEncoderProperties() {
    return ReadEncoderProperties(nullptr);
}

EncoderProperties CSettings::ReadEncoderProperties(Problems* problems) {
    EncoderProperties p;
    p.bitRateIndex = ReadInt(kEncoder, "BitRate", 2, 0, 8, problems);
    p.qualityIndex = ReadInt(kEncoder, "Quality", 0, 0, 2, problems);
    const bool cbr = ReadInt(kEncoder, "CBR", -1, INT_MIN, INT_MAX, problems) != 0;
    p.vbr = ReadInt(kEncoder, "VBR", 0, INT_MIN, INT_MAX, problems) != 0;
    p.cbr = !p.vbr;
    if (cbr == p.vbr && problems != nullptr) {
        // Both on or both off: the runs encode by the VBR flag, and the sheet shows the same.
        problems->lines.push_back(problems->strings.Text(
            StringId::kSettingsDisagree, std::string(kEncoder) + "/CBR, " + kEncoder + "/VBR",
            p.vbr ? "VBR" : "CBR"));
    }
    return p;
}

std::vector<std::string> CSettings::InvalidValues(const CStrings& strings) {
    Problems problems{strings, {}};
    ReadInt(kGeneral, "WAVFormat", 0, 0, INT_MAX, &problems);
    for (const char* flag : {"ID3Check", "Normalize", "ConvertCorruptFiles"}) {
        ReadInt(kGeneral, flag, 1, INT_MIN, INT_MAX, &problems);
    }
    ReadInt(kGeneral, "DecodeCheck", 0, INT_MIN, INT_MAX, &problems);
    ReadInt(kGeneral, "NormalizeMode", 0, 0, 1, &problems);
    ReadLoudnessTarget(&problems);
    ReadEncoderProperties(&problems);
    return problems.lines;
}

void CSettings::SetEncoderProperties(const EncoderProperties& p) {
    m_Store.SetInt(kEncoder, "BitRate", p.bitRateIndex);
    m_Store.SetInt(kEncoder, "Quality", p.qualityIndex);
    m_Store.SetInt(kEncoder, "CBR", p.cbr ? 1 : 0);
    m_Store.SetInt(kEncoder, "VBR", p.vbr ? 1 : 0);
}

}  // namespace sonvara
