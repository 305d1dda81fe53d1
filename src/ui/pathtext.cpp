#include "ui/pathtext.h"

namespace sonvara {

namespace {

constexpr char16_t kKeptByte = 0xDC00;  // + the byte (0x80..0xFF): U+DC80..U+DCFF

// The length of the valid UTF-8 sequence at s[i], or 0.
std::size_t Utf8SequenceAt(std::string_view s, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    if (c < 0x80) {
        return 1;
    }
    std::size_t n = 0;
    char32_t min = 0;
    char32_t cp = 0;
    if ((c & 0xE0) == 0xC0) {
        n = 2, min = 0x80, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3, min = 0x800, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4, min = 0x10000, cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not valid UTF-8.
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return n;
}

}  // namespace

QString PathText(std::string_view bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t n = Utf8SequenceAt(bytes, i);
        if (n == 0) {
            out.append(
                QChar(static_cast<char16_t>(kKeptByte + static_cast<unsigned char>(bytes[i]))));
            ++i;
            continue;
        }
        out.append(QString::fromUtf8(bytes.data() + i, static_cast<qsizetype>(n)));
        i += n;
    }
    return out;
}

std::string PathBytes(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    qsizetype start = 0;  // of the run of ordinary characters not yet written
    const auto flush = [&](qsizetype end) {
        if (end > start) {
            out += text.mid(start, end - start).toStdString();
        }
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u >= kKeptByte + 0x80 && u <= kKeptByte + 0xFF) {
            flush(i);
            out.push_back(static_cast<char>(u - kKeptByte));
            start = i + 1;
        }
    }
    flush(text.size());
    return out;
}

std::vector<std::string> PathBytes(const QStringList& texts) {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(texts.size()));
    for (const QString& text : texts) {
        out.push_back(PathBytes(text));
    }
    return out;
}

QString ShownPath(const QString& text) {
    QString out = text;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const char16_t u = out.at(i).unicode();
        if (u >= kKeptByte + 0x80 && u <= kKeptByte + 0xFF) {
            out[i] = QChar(QChar::ReplacementCharacter);
        }
    }
    return out;
}

QString ShownPath(std::string_view bytes) {
    return ShownPath(PathText(bytes));
}

QUrl PathUrl(const QString& text) {
#ifdef _WIN32
    return QUrl::fromLocalFile(text);
#else
    const std::string bytes = PathBytes(text);
    return QUrl::fromEncoded(
        "file://" + QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()))
                        .toPercentEncoding("/!$&'()*+,;=:@-._~"),
        QUrl::StrictMode);
#endif
}

std::string UrlPathBytes(const QUrl& url) {
#ifdef _WIN32
    return url.toLocalFile().toStdString();
#else
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
#endif
}

}  // namespace sonvara
