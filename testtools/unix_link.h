// Links made from the Linux side of a Wine prefix, as a user with a shell on the machine would
// plant them: Wine's own calls cannot make a symbolic link.
#pragma once

#include <string>
#include <vector>

// Makes `link` (a Windows path) a symbolic link to `target` (a Windows path, which may not
// exist); replaces what `link` was. False when not under Wine or the link could not be made.
bool MakeUnixLink(const std::string& target, const std::string& link);

// Makes `path` a named pipe of the Linux side (a FIFO): opening it for reading waits for a
// writer that never comes.
bool MakeUnixFifo(const std::string& path);

// Removes `path` and all below it from the Linux side, links as links: Wine cannot delete a
// link whose target is missing.
bool RemoveUnixTree(const std::string& path);

// The Linux name of a Windows path; empty when not under Wine. Its folder must exist.
std::string UnixName(const std::string& path);

// Runs a Linux program (argv[0], looked up in PATH) and waits for it: true when it exits 0.
bool RunUnix(std::vector<std::string> argv);
