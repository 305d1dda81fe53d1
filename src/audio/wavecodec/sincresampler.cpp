#include "audio/wavecodec/sincresampler.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <mutex>
#include <numeric>

namespace sonvara {

namespace {

double BesselI0(double x) {
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 50; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
        if (term < sum * 1e-12) {
            break;
        }
    }
    return sum;
}

}  // namespace

namespace {

// The filter of one conversion: 2 * half taps for each of kPhases + 1 phases.
std::vector<float> MakeTable(std::uint32_t inRate, std::uint32_t outRate, int phases, int& half) {
    // Cut-off in cycles per input sample, a little below the lower of the two Nyquist rates.
    const double fc = 0.5 * 0.95 * std::min(1.0, static_cast<double>(outRate) / inRate);
    half = static_cast<int>(std::ceil(16.0 / (2.0 * fc)));
    const int taps = 2 * half;
    constexpr double kBeta = 8.6;
    const double i0Beta = BesselI0(kBeta);
    std::vector<float> table(static_cast<std::size_t>(phases + 1) * taps, 0.0f);
    std::vector<double> row(static_cast<std::size_t>(taps));
    for (int p = 0; p <= phases; ++p) {
        double sum = 0.0;
        for (int k = 0; k < taps; ++k) {
            const double d = (k - (half - 1)) - static_cast<double>(p) / phases;
            const double x = d / half;
            double w = 0.0;
            if (std::fabs(x) <= 1.0) {
                w = BesselI0(kBeta * std::sqrt(1.0 - x * x)) / i0Beta;
            }
            const double arg = 2.0 * fc * d;
            const double sinc = arg == 0.0 ? 1.0 : std::sin(M_PI * arg) / (M_PI * arg);
            row[static_cast<std::size_t>(k)] = 2.0 * fc * sinc * w;
            sum += row[static_cast<std::size_t>(k)];
        }
        for (int k = 0; k < taps; ++k) {
            table[static_cast<std::size_t>(p * taps + k)] =
                static_cast<float>(row[static_cast<std::size_t>(k)] / sum);
        }
    }
    return table;
}

// The row of filter taps for an output whose position lies `phase` / outRate of an input
// frame past its input frame: the two nearest rows of the table, interpolated.
void InterpolateRow(const std::vector<float>& table, int taps, std::uint64_t phase,
                    std::uint32_t outRate, int phases, float* row) {
    const double position = static_cast<double>(phase) * phases / static_cast<double>(outRate);
    const int p0 = std::min(static_cast<int>(position), phases - 1);
    const auto frac = static_cast<float>(position - p0);
    const float* a = &table[static_cast<std::size_t>(p0 * taps)];
    const float* b = a + taps;
    for (int k = 0; k < taps; ++k) {
        row[k] = a[k] + frac * (b[k] - a[k]);
    }
}

// Every row the two rates can ask for, when there are few enough of them to keep.
std::vector<float> MakeBank(const std::vector<float>& table, int taps, std::uint32_t inRate,
                            std::uint32_t outRate, int phases) {
    constexpr std::size_t kMaxBankFloats = 256 * 1024;
    const std::uint32_t step = std::gcd(inRate, outRate);
    const std::size_t rows = outRate / step;
    if (rows * static_cast<std::size_t>(taps) > kMaxBankFloats) {
        return {};
    }
    std::vector<float> bank(rows * static_cast<std::size_t>(taps));
    for (std::size_t r = 0; r < rows; ++r) {
        InterpolateRow(table, taps, r * step, outRate, phases, &bank[r * taps]);
    }
    return bank;
}

}  // namespace

bool CSincResampler::Init(std::uint32_t inRate, std::uint32_t outRate, int channels) {
    if (inRate == 0 || outRate == 0 || channels < 1 || channels > 2) {
        return false;
    }
    m_InRate = inRate;
    m_OutRate = outRate;
    m_Channels = channels;
    // A table takes thousands of Bessel functions to make: the last 32 pairs of rates keep
    // theirs (a stream that changes rate back and forth resets its converter at each change).
    struct Made {
        std::uint32_t inRate;
        std::uint32_t outRate;
        int half;
        std::shared_ptr<const std::vector<float>> table;
        std::shared_ptr<const std::vector<float>> bank;
    };
    static std::mutex mutex;
    static std::deque<Made> made;
    {
        std::lock_guard lock(mutex);
        const auto it = std::find_if(made.begin(), made.end(), [&](const Made& m) {
            return m.inRate == inRate && m.outRate == outRate;
        });
        if (it != made.end()) {
            m_Half = it->half;
            m_Table = it->table;
            m_Bank = it->bank;
        } else {
            m_Table.reset();
        }
    }
    if (!m_Table) {
        auto table =
            std::make_shared<const std::vector<float>>(MakeTable(inRate, outRate, kPhases, m_Half));
        auto bank = std::make_shared<const std::vector<float>>(
            MakeBank(*table, 2 * m_Half, inRate, outRate, kPhases));
        m_Table = table;
        m_Bank = bank;
        std::lock_guard lock(mutex);
        made.push_front({inRate, outRate, m_Half, std::move(table), std::move(bank)});
        if (made.size() > 32) {
            made.pop_back();
        }
    }
    m_PhaseStep = std::gcd(inRate, outRate);
    // Silence before the first frame, so the first outputs have their full left side.
    m_History.assign(static_cast<std::size_t>(m_Half * channels), 0.0f);
    m_HistoryStart = -m_Half;
    m_TotalIn = 0;
    m_NextOut = 0;
    return true;
}

std::size_t CSincResampler::MaxOutputFrames(std::size_t inFrames) const {
    const std::uint64_t total = m_TotalIn + inFrames;
    const std::uint64_t all = (total * m_OutRate + m_InRate - 1) / m_InRate;
    return static_cast<std::size_t>(all - std::min(all, m_NextOut)) + 1;
}

void CSincResampler::Produce(std::int64_t limitIndex, std::uint64_t maxOutput,
                             std::vector<std::int16_t>& out) {
    const int taps = 2 * m_Half;
    const auto ch = static_cast<std::size_t>(m_Channels);
    const bool banked = !m_Bank->empty();
    std::vector<float> row(banked ? 0 : static_cast<std::size_t>(taps));
    const auto put = [&out](float acc) {
        const long v = std::lround(acc);
        out.push_back(static_cast<std::int16_t>(std::clamp(v, -32768L, 32767L)));
    };
    while (m_NextOut < maxOutput) {
        const std::uint64_t t = m_NextOut * m_InRate;
        const auto i = static_cast<std::int64_t>(t / m_OutRate);
        if (i + m_Half > limitIndex) {
            break;
        }
        const std::uint64_t phase = t % m_OutRate;
        const float* coef = nullptr;
        if (banked) {
            coef = &(*m_Bank)[static_cast<std::size_t>(phase / m_PhaseStep) * taps];
        } else {
            InterpolateRow(*m_Table, taps, phase, m_OutRate, kPhases, row.data());
            coef = row.data();
        }
        const std::int64_t first = i - m_Half + 1 - m_HistoryStart;
        const float* x = &m_History[static_cast<std::size_t>(first) * ch];
        if (ch == 2) {
            // Both channels in one pass over the taps, each summed in the same order as alone.
            float left = 0.0f;
            float right = 0.0f;
            for (int k = 0; k < taps; ++k) {
                left += x[2 * k] * coef[k];
                right += x[2 * k + 1] * coef[k];
            }
            put(left);
            put(right);
        } else {
            float acc = 0.0f;
            for (int k = 0; k < taps; ++k) {
                acc += x[k] * coef[k];
            }
            put(acc);
        }
        ++m_NextOut;
    }
    // Drop history no later output needs.
    const std::uint64_t t = m_NextOut * m_InRate;
    const std::int64_t keepFrom = static_cast<std::int64_t>(t / m_OutRate) - m_Half + 1;
    if (keepFrom > m_HistoryStart) {
        const auto drop = static_cast<std::size_t>(std::min<std::int64_t>(
            keepFrom - m_HistoryStart, static_cast<std::int64_t>(m_History.size() / ch)));
        m_History.erase(m_History.begin(),
                        m_History.begin() + static_cast<std::ptrdiff_t>(drop * ch));
        m_HistoryStart += static_cast<std::int64_t>(drop);
    }
}

void CSincResampler::Process(const std::int16_t* in, std::size_t frames,
                             std::vector<std::int16_t>& out) {
    const auto ch = static_cast<std::size_t>(m_Channels);
    m_History.reserve(m_History.size() + frames * ch);
    for (std::size_t s = 0; s < frames * ch; ++s) {
        m_History.push_back(static_cast<float>(in[s]));
    }
    m_TotalIn += frames;
    Produce(static_cast<std::int64_t>(m_TotalIn) - 1, UINT64_MAX, out);
}

void CSincResampler::Flush(std::vector<std::int16_t>& out) {
    const auto ch = static_cast<std::size_t>(m_Channels);
    m_History.insert(m_History.end(), static_cast<std::size_t>(m_Half + 1) * ch, 0.0f);
    const std::uint64_t all = (m_TotalIn * m_OutRate + m_InRate - 1) / m_InRate;
    Produce(static_cast<std::int64_t>(m_TotalIn) + m_Half, all, out);
}

}  // namespace sonvara
