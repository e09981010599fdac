// Where the stand-in product keeps its files. Both the library and the tools that inspect it
// resolve the same folder, so they need not find each other.
//
// The folder is %STANDIN_STATE_DIR% when that is set (tests give each run a private one),
// otherwise <common application data>\Velmora\Lumicor\Standin, i.e. C:\ProgramData\... .
#pragma once

#include <string>

namespace standin {

std::string StateDirectory();

// Creates the state folder and any missing parents; true when it exists afterwards.
bool EnsureStateDirectory();

std::string StateFilePath();    // committed product state (binary, see state_file.h)
std::string JournalFilePath();  // one text line per call, see journal_format.h
std::string FaultsFilePath();   // fault switches (INI), see fault_config.h

}  // namespace standin
