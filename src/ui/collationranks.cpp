#include "ui/collationranks.h"

#include <unicode/ucol.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <string>

#include "ui/runservice.h"

namespace sonvara {

namespace {

// The keys of a range of texts, each ending in its 0 byte, one after the other.
struct KeyBlock {
    std::string bytes;
    std::vector<std::size_t> starts;
};

// One collator per thread, set up as QCollator sets up its own: the locale's BCP 47 name with
// '_', normalisation on, secondary strength (letter case ignored), no numeric mode, punctuation
// not ignored.
class CCollator {
public:
    explicit CCollator(const QLocale& locale) {
        const QByteArray name = locale.bcp47Name().replace(u'-', u'_').toLatin1();
        UErrorCode status = U_ZERO_ERROR;
        m_Collator = ucol_open(name.constData(), &status);
        if (U_FAILURE(status)) {
            m_Collator = nullptr;
            return;
        }
        ucol_setAttribute(m_Collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
        ucol_setAttribute(m_Collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
        ucol_setAttribute(m_Collator, UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
        ucol_setAttribute(m_Collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    }
    ~CCollator() {
        if (m_Collator != nullptr) {
            ucol_close(m_Collator);
        }
    }
    CCollator(const CCollator&) = delete;
    CCollator& operator=(const CCollator&) = delete;

    void AppendKey(const QString& text, KeyBlock& block) const {
        block.starts.push_back(block.bytes.size());
        if (m_Collator == nullptr) {
            // No collator for the language: code point order of the case-folded text.
            block.bytes += text.toCaseFolded().toUtf8().toStdString();
            block.bytes.push_back('\0');
            return;
        }
        const std::size_t at = block.bytes.size();
        std::size_t room = 16 + 3 * static_cast<std::size_t>(text.size());
        for (;;) {
            block.bytes.resize(at + room);
            const int32_t size = ucol_getSortKey(
                m_Collator, reinterpret_cast<const UChar*>(text.constData()),
                static_cast<int32_t>(text.size()),
                reinterpret_cast<uint8_t*>(block.bytes.data() + at), static_cast<int32_t>(room));
            if (size <= 0) {
                block.bytes.resize(at);
                block.bytes.push_back('\0');
                return;
            }
            if (static_cast<std::size_t>(size) <= room) {
                block.bytes.resize(at + static_cast<std::size_t>(size));  // with its 0 byte
                return;
            }
            room = static_cast<std::size_t>(size);
        }
    }

private:
    UCollator* m_Collator = nullptr;
};

// The eight bytes of a key from `at` on as one number, most significant first; the bytes after
// the key's 0 byte count as 0.
std::uint64_t Prefix(const char* key, std::size_t length, std::size_t at) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        const std::size_t p = at + i;
        value = (value << 8) | (p < length ? static_cast<unsigned char>(key[p]) : 0u);
    }
    return value;
}

}  // namespace

std::vector<long long> CollationRanks(const QStringList& texts, const QLocale& locale,
                                      CRunService* runs) {
    const std::size_t count = static_cast<std::size_t>(texts.size());
    std::vector<long long> ranks(count);
    if (count == 0) {
        return ranks;
    }

    // The keys, in parts on the run service's threads for a long list.
    const unsigned threads = runs != nullptr ? static_cast<unsigned>(runs->MaxThreads()) : 1u;
    const unsigned parts = count >= 20000 ? std::max(1u, std::min(8u, threads)) : 1;
    const std::size_t chunk = (count + parts - 1) / parts;
    std::vector<KeyBlock> blocks(parts);
    const auto makeKeys = [&](std::size_t part) {
        const CCollator collator(locale);
        KeyBlock& block = blocks[part];
        const std::size_t from = std::min(count, part * chunk);
        const std::size_t to = std::min(count, from + chunk);
        block.starts.reserve(to - from);
        block.bytes.reserve((to - from) * 48);
        for (std::size_t t = from; t < to; ++t) {
            collator.AppendKey(texts[static_cast<qsizetype>(t)], block);
        }
    };
    if (runs != nullptr && parts > 1) {
        runs->RunParts(parts, makeKeys);
    } else {
        makeKeys(0);
    }
    std::string bytes;
    std::vector<std::size_t> starts;
    starts.reserve(count + 1);
    for (KeyBlock& block : blocks) {
        for (std::size_t start : block.starts) {
            starts.push_back(bytes.size() + start);
        }
        bytes += block.bytes;
        block = {};
    }
    starts.push_back(bytes.size());
    const auto key = [&](std::size_t t) { return bytes.data() + starts[t]; };
    const auto length = [&](std::size_t t) { return starts[t + 1] - starts[t]; };

    // The bytes every key begins with (a shared folder in paths) say nothing about the order;
    // the sort looks at the eight after them first and at the rest only on a tie.
    std::size_t common = length(0) - 1;
    for (std::size_t t = 1; t < count && common > 0; ++t) {
        const char* a = key(0);
        const char* b = key(t);
        std::size_t i = 0;
        while (i < common && a[i] == b[i]) {
            ++i;
        }
        common = i;
    }
    struct Entry {
        std::uint64_t prefix;
        std::uint32_t text;
    };
    std::vector<Entry> entries(count);
    for (std::size_t t = 0; t < count; ++t) {
        entries[t] = {Prefix(key(t), length(t), common), static_cast<std::uint32_t>(t)};
    }
    // Equal prefixes: both keys ended inside them (equal keys) or both go on past them.
    const auto compareRest = [&](const Entry& a, const Entry& b) {
        const std::size_t at = common + 8;
        const bool aLonger = length(a.text) > at;
        const bool bLonger = length(b.text) > at;
        if (!aLonger || !bLonger) {
            return 0;
        }
        return std::strcmp(key(a.text) + at, key(b.text) + at);
    };
    std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        if (a.prefix != b.prefix) {
            return a.prefix < b.prefix;
        }
        return compareRest(a, b) < 0;
    });
    long long rank = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0 && (entries[i - 1].prefix != entries[i].prefix ||
                      compareRest(entries[i - 1], entries[i]) != 0)) {
            ++rank;
        }
        ranks[entries[i].text] = rank;
    }
    return ranks;
}

}  // namespace sonvara
