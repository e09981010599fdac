// Texts from a module's string table.
#pragma once

#include <windows.h>

#include "foundation/text_string.h"

// Loads string `id` of `module` into `text`, however long; true if a non-empty text was loaded.
bool LoadMessage(HMODULE module, unsigned int id, TextString& text);
