#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <string>
#include <string_view>
#include <vector>

namespace sonvara {

// File names are bytes on Linux and need not be UTF-8 (Latin-1 names of old rips). The window
// carries paths in QStrings, so each byte that is not part of valid UTF-8 is kept in the
// QString as the lone surrogate U+DC80 + (byte - 0x80) (the way Python keeps such names), and
// turned back into that byte on the way out. A path goes from bytes to the window with
// PathText and back with PathBytes only; Qt's own file functions never see it.
QString PathText(std::string_view bytes);
std::string PathBytes(const QString& text);
std::vector<std::string> PathBytes(const QStringList& texts);

// A path as shown: every kept byte becomes the replacement character U+FFFD.
QString ShownPath(const QString& text);
QString ShownPath(std::string_view bytes);

// A local file's URL for a path text (its bytes percent-encoded), and the bytes of a local
// file's URL: QUrl keeps percent-encoded bytes that are not UTF-8 as they are, which
// QUrl::toLocalFile() would turn into replacement characters.
QUrl PathUrl(const QString& text);
std::string UrlPathBytes(const QUrl& url);

}  // namespace sonvara
