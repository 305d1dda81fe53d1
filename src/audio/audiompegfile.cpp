#include "audio/audiompegfile.h"

#include <algorithm>
#include <cstring>

#include "audio/mpegtags.h"

namespace sonvara {

CAudioMpegFile::CAudioMpegFile() = default;

CAudioMpegFile::~CAudioMpegFile() = default;  // releases an open decoder and its buffers

bool CAudioMpegFile::Open(std::uint32_t /*mode*/) {
    const MpegTagTexts texts = ReadMpegTags(m_FileName);
    m_Title = texts.title;
    m_Artist = texts.artist;
    m_Album = texts.album;
    // An open decoder is released before the new one is made.
    m_pDecoder.reset();
    m_Unreadable.clear();
    m_pDecoder = CMpegDecoder::Create(m_FileName, &m_Unreadable);
    m_Decode.assign(kBlockSize, 0);
    m_Carry.assign(kBlockSize, 0);
    m_Carried = 0;
    if (!m_pDecoder) {
        m_Duration = 0.0;
        m_Info = {};
        return false;
    }
    // The format is the same for every block of the stream: known without decoding.
    m_Info = m_pDecoder->StreamInfo();
    m_Duration = m_pDecoder->Duration();
    return true;
}

void CAudioMpegFile::CloseStream() {
    if (m_pDecoder) {
        m_pDecoder.reset();
        m_Decode = {};
        m_Carry = {};
    }
    m_Carried = 0;
}

std::int32_t CAudioMpegFile::GetPosition() {
    return m_pDecoder ? m_pDecoder->CurrentTime() : 0;
}

void CAudioMpegFile::Seek(std::int32_t milliseconds) {
    // What was decoded before the jump must not come out after it.
    m_Carried = 0;
    if (m_pDecoder) {
        m_pDecoder->Seek(milliseconds);
        m_Unreadable.clear();
    }
}

int CAudioMpegFile::Read(std::size_t itemSize, std::size_t itemCount, void* buffer,
                         std::size_t bufferSize) {
    if (!m_pDecoder) {
        if (m_Unreadable.empty()) {
            m_Unreadable = "the file is not open";
        }
        return -1;
    }
    std::size_t request = bufferSize;
    if (itemCount == 0 || itemSize <= bufferSize / itemCount) {
        request = std::min(bufferSize, itemSize * itemCount);
    }
    request = std::min<std::size_t>(request, 0x7FFFFFFF);
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t delivered = 0;
    if (m_Carried > 0) {
        // A request smaller than what is carried takes what fits; the rest stays carried.
        delivered = std::min(m_Carried, request);
        std::memcpy(out, m_Carry.data(), delivered);
        std::memmove(m_Carry.data(), m_Carry.data() + delivered, m_Carried - delivered);
        m_Carried -= delivered;
        if (delivered == request) {
            return static_cast<int>(delivered);
        }
    }
    for (;;) {
        const int n = m_pDecoder->Decode(m_Decode.data(), kBlockSize);
        if (n < 0) {
            // What came before the error is delivered; the next call reports it.
            m_Unreadable = m_pDecoder->Error();
            return delivered > 0 ? static_cast<int>(delivered) : -1;
        }
        if (n == 0) {
            return static_cast<int>(delivered);
        }
        const auto got = static_cast<std::size_t>(n);
        const std::size_t room = request - delivered;
        if (room >= got) {
            std::memcpy(out + delivered, m_Decode.data(), got);
            delivered += got;
            if (delivered == request) {
                return static_cast<int>(delivered);
            }
            continue;
        }
        std::memcpy(out + delivered, m_Decode.data(), room);
        m_Carried = got - room;
        std::memcpy(m_Carry.data(), m_Decode.data() + room, m_Carried);
        return static_cast<int>(request);
    }
}

void CAudioMpegFile::SaveTags() {
    CloseStream();
    SaveMpegTags(m_FileName, {m_Title, m_Artist, m_Album});
    Open(0);
}

void CAudioMpegFile::CreateOutput(const std::string& path, const EncoderSettings& settings,
                                  std::uint64_t samplesPerChannel) {
    m_pEncoder = std::make_unique<CMP3Encoder>();
    m_FileName = m_pEncoder->CreateOutput(path, settings, samplesPerChannel);
    m_Changed = true;
    m_Valid = false;
}

void CAudioMpegFile::EncodeSamples(const void* data, std::size_t bytes) {
    if (!m_pEncoder) {
        m_pEncoder = std::make_unique<CMP3Encoder>();  // raises: nothing is open
    }
    m_pEncoder->EncodeSamples(data, bytes);
}

void CAudioMpegFile::Finish() {
    if (!m_pEncoder) {
        m_pEncoder = std::make_unique<CMP3Encoder>();
    }
    m_pEncoder->Finish();
    m_pEncoder.reset();
}

}  // namespace sonvara
