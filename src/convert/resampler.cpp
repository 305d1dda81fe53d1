#include "convert/resampler.h"

#include <algorithm>

namespace sonvara {

void CResampler::Reset() {
    m_InRate = 44100;
    m_InChannels = 2;
    m_In = nullptr;
    m_InLeft = 0;
    m_OutRate = 44100;
    m_OutChannels = 2;
    m_Out = nullptr;
    m_OutLeft = 0;
    m_Phase = 0;
}

bool CResampler::SetInputRate(std::uint32_t rate) {
    if (rate < 100 || rate > 65535) {
        return false;
    }
    m_InRate = rate;
    return true;
}

bool CResampler::SetInputChannels(int channels) {
    if (channels != 1 && channels != 2) {
        return false;
    }
    m_InChannels = channels;
    return true;
}

void CResampler::SetInput(const std::int16_t* frames, std::uint32_t count) {
    m_In = frames;
    m_InLeft = count;
}

void CResampler::SetOutput(std::int16_t* frames, std::uint32_t count) {
    m_Out = frames;
    m_OutLeft = count;
}

void CResampler::Process(std::uint32_t& consumed, std::uint32_t& produced) {
    const std::uint32_t inStart = m_InLeft;
    const std::uint32_t outStart = m_OutLeft;
    const auto inCh = static_cast<std::uint32_t>(m_InChannels);
    const auto outCh = static_cast<std::uint32_t>(m_OutChannels);
    auto put = [&](std::int32_t left, std::int32_t right) {
        if (outCh == 1) {
            *m_Out++ = static_cast<std::int16_t>(inCh == 1 ? left : (left + right) >> 1);
        } else if (inCh == 1) {
            *m_Out++ = static_cast<std::int16_t>(left);
            *m_Out++ = static_cast<std::int16_t>(left);
        } else {
            *m_Out++ = static_cast<std::int16_t>(left);
            *m_Out++ = static_cast<std::int16_t>(right);
        }
    };

    if (m_InRate == m_OutRate) {
        const std::uint32_t n = std::min(m_InLeft, m_OutLeft);
        for (std::uint32_t i = 0; i < n; ++i) {
            put(m_In[0], inCh == 2 ? m_In[1] : m_In[0]);
            m_In += inCh;
        }
        m_InLeft -= n;
        m_OutLeft -= n;
        m_Phase = 0;
    } else if (m_InLeft != 0 && m_OutLeft != 0) {
        const std::uint32_t step =
            static_cast<std::uint32_t>(static_cast<std::uint64_t>(m_InRate) * 65536 / m_OutRate);
        while (m_OutLeft > 0) {
            if (m_Phase > 65535) {
                const std::uint32_t k = m_Phase >> 16;
                if (k >= m_InLeft) {
                    m_Phase -= m_InLeft << 16;
                    m_In += m_InLeft * inCh;
                    m_InLeft = 0;
                    break;
                }
                m_In += k * inCh;
                m_InLeft -= k;
                m_Phase &= 0xFFFF;
            }
            std::int32_t s[2] = {0, 0};
            for (std::uint32_t c = 0; c < inCh; ++c) {
                const std::int32_t x0 = m_In[c];
                s[c] = x0;
                if (m_Phase != 0 && m_InLeft > 1) {
                    const std::int32_t x1 = m_In[inCh + c];
                    const auto p = static_cast<std::int32_t>(m_Phase);
                    // Both products fit 32 bits: the phase is below 65536 here.
                    s[c] = (p * x1 + (65536 - p) * x0) >> 16;
                }
            }
            put(s[0], inCh == 2 ? s[1] : s[0]);
            --m_OutLeft;
            m_Phase += step;
        }
    }
    consumed = inStart - m_InLeft;
    produced = outStart - m_OutLeft;
}

}  // namespace sonvara
