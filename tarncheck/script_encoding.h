// The script's bytes as the profile functions take them. They read 8-bit text in the system's
// ANSI code page. UTF-16 is converted to that code page when it starts with a byte-order mark
// and not read at all without one; Windows reads a UTF-8 byte-order mark as part of line 1
// (Wine skips it); UTF-8 text without a mark reaches the product byte for byte, to be shown
// in the ANSI code page.
#pragma once

#include <string>

#include "tarncheck/findings.h"

struct ScriptText {
  bool checkable = false;  // false: the bytes cannot be checked as a script
  std::string text;        // the 8-bit text, without a UTF-8 byte-order mark
};

// Adds the encoding's findings; UTF-16 and NUL bytes are errors that end the check.
ScriptText CheckEncoding(const std::string& bytes, Findings& findings);
