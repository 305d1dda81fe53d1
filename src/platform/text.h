#pragma once

#include <string>
#include <string_view>

namespace sonvara {

bool IsValidUtf8(std::string_view text);
// Each byte as the Latin-1 character it stands for, in UTF-8.
std::string Latin1ToUtf8(std::string_view text);
// Text read from a file: kept when it is UTF-8, else taken as Latin-1.
std::string TextFromFile(std::string_view bytes);

// Control characters written so that a text stays on one line: tab, line feed and carriage
// return as \t, \n and \r, the other control bytes (0x00-0x1F, 0x7F) as \xNN. With
// escapeBackslash a backslash becomes \\ too, so that the escaped text can be read back
// exactly (the batch program's result lines); without it a backslash stays as it is (the
// report, where Windows paths stay readable).
std::string EscapeControls(std::string_view text, bool escapeBackslash);

// A text quoted in a message: on one line (EscapeControls), and cut after `limit` bytes at a
// character's start, with "..." and the whole length added, so that a huge value never makes
// a huge message.
std::string ShortForMessage(std::string_view text, std::size_t limit = 40);

}  // namespace sonvara
