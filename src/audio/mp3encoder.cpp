#include "audio/mp3encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstring>

#include "audio/fileexception.h"
#include "audio/makevalidfilename.h"
#include "audio/mpegtags.h"

namespace sonvara {

namespace {

constexpr int kFrame = 1152;
constexpr std::int32_t kVbrRange[16] = {32,  40,  48,  56,  64,  80,  96,  112,
                                        128, 160, 192, 224, 256, 320, 384, 448};

// Latin-1 bytes of UTF-8 text; characters beyond Latin-1 (and broken sequences) as '?'.
std::string ToLatin1(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        if (len == 2 && i + 1 < utf8.size()) {
            const unsigned code =
                ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            out += code <= 0xFF ? static_cast<char>(code) : '?';
        } else {
            out += '?';
        }
        i += std::min(len, utf8.size() - i);
    }
    return out;
}

}  // namespace

struct CMP3Encoder::Lame {
    lame_global_flags* gfp = nullptr;
    ~Lame() {
        if (gfp != nullptr) {
            lame_close(gfp);
        }
    }
};

bool IsLayerThreeBitRate(std::int32_t kbps) {
    return std::find(kVbrRange, kVbrRange + 14, kbps) != kVbrRange + 14;
}

void CMP3Encoder::VbrRange(std::int32_t kbps, std::int32_t& minimum, std::int32_t& maximum) {
    const auto* it = std::find(kVbrRange, kVbrRange + 16, kbps);
    const int i = static_cast<int>(it - kVbrRange);
    minimum = kVbrRange[i <= 1 ? 0 : i - 1];
    maximum = kVbrRange[i >= 15 ? 15 : i + 1];
    minimum = std::clamp(minimum, 32, 320);
    maximum = std::clamp(maximum, 32, 320);
}

std::vector<std::uint8_t> MakeId3v1Image(const EncoderSettings& s) {
    if (s.title.empty() && s.artist.empty() && s.album.empty()) {
        return {};
    }
    std::vector<std::uint8_t> tag(128, ' ');
    tag[0] = 'T';
    tag[1] = 'A';
    tag[2] = 'G';
    auto put = [&tag](std::size_t at, const std::string& text) {
        const std::string latin = ToLatin1(text).substr(0, 30);
        std::memcpy(tag.data() + at, latin.data(), latin.size());
    };
    put(3, s.title);
    put(33, s.artist);
    put(63, s.album);
    tag[127] = 255;  // no genre
    return tag;
}

CMP3Encoder::CMP3Encoder() : m_Output(16384 + 7200), m_Left(kFrame), m_Right(kFrame) {
    m_Pending.reserve(2 * kFrame);
}

CMP3Encoder::~CMP3Encoder() {
    Release();
}

void CMP3Encoder::Release() {
    m_Lame.reset();
    m_File.Close();
}

[[noreturn]] void CMP3Encoder::Raise(const std::string& what, bool diskFull) {
    const int code = m_File.ErrorCode();
    Release();
    throw CFileException(diskFull ? CFileException::diskFull : CFileException::genericException,
                         code, m_FileName, what);
}

std::string CMP3Encoder::CreateOutput(const std::string& path, const EncoderSettings& settings,
                                      std::uint64_t samplesPerChannel) {
    Release();
    m_FileName = MakeValidFileName(path, true);
    m_Pending.clear();
    m_Written = 0;
    m_Vbr = settings.vbr;
    m_Id3v2 = MakeOutputId3v2Tag({settings.title, settings.artist, settings.album},
                                 settings.tagSource, settings.tagSourceIsWav);
    {
        // The version 1 tag holds what the version 2 tag holds (a WAV file's LIST/INFO texts
        // included), as far as it can.
        EncoderSettings v1 = settings;
        const MpegTagTexts texts = TextsOfId3v2Tag(m_Id3v2);
        v1.title = texts.title.empty() ? settings.title : texts.title;
        v1.artist = texts.artist.empty() ? settings.artist : texts.artist;
        v1.album = texts.album.empty() ? settings.album : texts.album;
        m_Tag = MakeId3v1Image(v1);
    }
    if (!IsLayerThreeBitRate(settings.bitRate)) {
        Raise("bit rate " + std::to_string(settings.bitRate) +
              " kbit/s is not legal for MPEG-1 Layer III at 44100 Hz");
    }
    if (settings.quality < 0 || settings.quality > 9) {
        Raise("encoder quality " + std::to_string(settings.quality) + " is not 0 to 9");
    }
    m_Lame = std::make_unique<Lame>();
    m_Lame->gfp = lame_init();
    lame_global_flags* g = m_Lame->gfp;
    if (g == nullptr) {
        Raise("the MP3 encoder could not start");
    }
    lame_set_num_samples(g, static_cast<unsigned long>(samplesPerChannel));
    lame_set_num_channels(g, 2);
    lame_set_in_samplerate(g, 44100);
    lame_set_out_samplerate(g, 44100);
    // The VBR header only in VBR mode; a CBR file gets none.
    lame_set_bWriteVbrTag(g, settings.vbr ? 1 : 0);
    lame_set_quality(g, settings.quality);
    lame_set_mode(g, JOINT_STEREO);
    lame_set_force_ms(g, 0);
    lame_set_brate(g, settings.bitRate);
    lame_set_disable_reservoir(g, 1);
    lame_set_findReplayGain(g, 0);
    lame_set_write_id3tag_automatic(g, 0);
    if (settings.vbr) {
        std::int32_t lo = 0;
        std::int32_t hi = 0;
        VbrRange(settings.bitRate, lo, hi);
        lame_set_VBR(g, vbr_default);
        lame_set_VBR_q(g, 9);
        lame_set_VBR_min_bitrate_kbps(g, lo);
        lame_set_VBR_max_bitrate_kbps(g, hi);
    } else {
        lame_set_VBR(g, vbr_off);
    }
    lame_set_lowpassfreq(g, 0);
    lame_set_highpassfreq(g, 0);
    if (lame_init_params(g) < 0) {
        Raise("the MP3 encoder refused its parameters");
    }
    // LAME quietly adjusts what it cannot do; a changed rate or mode is an error here.
    if (lame_get_out_samplerate(g) != 44100 || lame_get_mode(g) != JOINT_STEREO ||
        (!settings.vbr && lame_get_brate(g) != settings.bitRate)) {
        Raise("the MP3 encoder changed the bit rate, sample rate or mode asked for");
    }
    if (!m_File.Open(m_FileName, CFile::Mode::kCreate)) {
        Raise("cannot create the file: " + m_File.ErrorText(), m_File.DiskFull());
    }
    WriteOut(m_Id3v2.data(), m_Id3v2.size());
    return m_FileName;
}

void CMP3Encoder::WriteOut(const unsigned char* bytes, std::size_t count) {
    if (count == 0) {
        return;
    }
    if (!m_File.WriteAt(m_Written, bytes, count)) {
        Raise("cannot write the MP3 data: " + m_File.ErrorText(), m_File.DiskFull());
    }
    m_Written += static_cast<std::int64_t>(count);
}

void CMP3Encoder::EncodeFrame(const std::int16_t* interleaved, int frames) {
    for (int i = 0; i < frames; ++i) {
        m_Left[static_cast<std::size_t>(i)] = interleaved[2 * i];
        m_Right[static_cast<std::size_t>(i)] = interleaved[2 * i + 1];
    }
    const int n = lame_encode_buffer(m_Lame->gfp, m_Left.data(), m_Right.data(), frames,
                                     m_Output.data(), static_cast<int>(m_Output.size()));
    if (n < 0) {
        Raise("the MP3 encoder failed (" + std::to_string(n) + ")");
    }
    WriteOut(m_Output.data(), static_cast<std::size_t>(n));
}

void CMP3Encoder::EncodeSamples(const void* data, std::size_t bytes) {
    if (!m_Lame || !m_File.IsOpen()) {
        throw CFileException(CFileException::genericException, 0, m_FileName,
                             "no MP3 output is open");
    }
    const auto* in = static_cast<const std::int16_t*>(data);
    std::size_t values = bytes / 2;
    // Complete a pending frame first, then whole frames straight from the input.
    if (!m_Pending.empty()) {
        const std::size_t take = std::min(values, 2 * kFrame - m_Pending.size());
        m_Pending.insert(m_Pending.end(), in, in + take);
        in += take;
        values -= take;
        if (m_Pending.size() < 2 * kFrame) {
            return;
        }
        EncodeFrame(m_Pending.data(), kFrame);
        m_Pending.clear();
    }
    while (values >= 2 * kFrame) {
        EncodeFrame(in, kFrame);
        in += 2 * kFrame;
        values -= 2 * kFrame;
    }
    m_Pending.assign(in, in + values);
}

void CMP3Encoder::Finish() {
    if (!m_Lame || !m_File.IsOpen()) {
        throw CFileException(CFileException::genericException, 0, m_FileName,
                             "no MP3 output is open");
    }
    // The last samples (less than a frame) are encoded too, not dropped.
    if (m_Pending.size() >= 2) {
        EncodeFrame(m_Pending.data(), static_cast<int>(m_Pending.size() / 2));
    }
    m_Pending.clear();
    const int n =
        lame_encode_flush(m_Lame->gfp, m_Output.data(), static_cast<int>(m_Output.size()));
    if (n < 0) {
        Raise("the MP3 encoder failed to flush (" + std::to_string(n) + ")");
    }
    WriteOut(m_Output.data(), static_cast<std::size_t>(n));
    if (m_Vbr) {
        // The Xing/LAME header goes into the first frame, which LAME left for it after the
        // ID3 version 2 tag.
        const std::size_t len =
            lame_get_lametag_frame(m_Lame->gfp, m_Output.data(), m_Output.size());
        if (len > 0 && len <= m_Output.size() &&
            !m_File.WriteAt(static_cast<std::int64_t>(m_Id3v2.size()), m_Output.data(), len)) {
            Raise("cannot write the VBR header: " + m_File.ErrorText(), m_File.DiskFull());
        }
    }
    WriteOut(m_Tag.data(), m_Tag.size());
    if (!m_File.Close()) {
        Raise("cannot complete the file: " + m_File.ErrorText(), m_File.DiskFull());
    }
    m_Lame.reset();
}

}  // namespace sonvara
