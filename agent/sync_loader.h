// Finding the product's sync library through Windows Installer, loading it, and the file
// version lookup that uses the same installer library.
#pragma once

#include "result_codes.h"

// Reads the version text of a file: 0 when read, 8 otherwise.
int GetFileVer(const char* path, char* versionText, unsigned int capacity);
