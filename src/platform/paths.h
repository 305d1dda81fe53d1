#pragma once

#include <string>
#include <string_view>

// Path text helpers. Paths are UTF-8 strings; the directory separator is the platform's
// ("/" on Linux, "\" and "/" on Windows).
namespace sonvara {

bool IsPathSeparator(char c);
char PreferredSeparator();

// Index of the last directory separator, or npos.
std::size_t LastSeparator(std::string_view path);

// The part after the last separator.
std::string_view FileNamePart(std::string_view path);

// Everything up to and including the last separator ("" when there is none).
std::string_view DirectoryPart(std::string_view path);

// The extension of the file name part, dot included, as splitting a path gives it: from the
// last dot of the name to its end ("" when the name has no dot; ".mp3" for the name ".mp3").
std::string_view Extension(std::string_view path);

// ASCII upper-casing; other bytes (UTF-8 sequences) are kept.
std::string UpperAscii(std::string_view text);

// Upper-cased extension of a path: ".MP3", ".WAV", "".
std::string UpperExtension(std::string_view path);

// Largest length <= maxBytes at which text can be cut without splitting a UTF-8 sequence.
std::size_t Utf8CutLength(std::string_view text, std::size_t maxBytes);

// The user's home folder, and the Music folder (the home folder when there is none).
std::string HomeFolder();
std::string MusicFolder();

}  // namespace sonvara
