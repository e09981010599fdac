// The script's bytes as the profile functions take them. They read 8-bit text in the system's
// ANSI code page. UTF-16 that starts with a byte-order mark is converted to that code page
// (characters outside it become what the conversion makes of them, often '?' or a look-alike);
// without a mark it is read as 8-bit text with a NUL byte beside every character, and a NUL
// byte ends the name it stands in (see ParseScript), so no name the agent asks for is found.
// Windows reads a UTF-8 byte-order mark as part of line 1 and the rest byte for byte; Wine
// skips the mark and converts the UTF-8 text to the ANSI code page. UTF-8 text without a mark
// reaches the product byte for byte, to be shown in the ANSI code page.
#pragma once

#include <string>
#include <string_view>

#include "tarncheck/findings.h"

struct ScriptText {
  std::string text;  // the 8-bit text the profile functions read, without a byte-order mark
};

// Adds the encoding's findings.
ScriptText CheckEncoding(const std::string& bytes, Findings& findings);

// NUL bytes make up a quarter of the text or more: UTF-16 without a byte-order mark, most likely.
bool LooksLikeUnmarkedUtf16(std::string_view text);
// The error for such a text in which the profile functions find no update type; it ends the check.
void AddUnmarkedUtf16(Findings& findings);
