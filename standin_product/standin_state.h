// What tests and the standin tool use to set up and inspect the stand-in product: its
// committed state, its journal and protocol errors, its fault switches, and its package.
//
// All state lives in one folder (see core/state_paths.h): state.bin, journal.log and
// faults.ini under %STANDIN_STATE_DIR% or C:\ProgramData\Velmora\Lumicor\Standin. The
// installed library and these functions agree on it without finding each other.
#pragma once

#include "product_api/installer_codes.h"
#include "product_api/sync_library.h"
#include "standin_product/core/fault_config.h"
#include "standin_product/core/journal_format.h"
#include "standin_product/core/product_state.h"
#include "standin_product/core/state_paths.h"

#include <string>
#include <vector>

namespace standin {


// --- the package --------------------------------------------------------------------------

// The installed SYNCUTIL.DLL's full path, as MsiGetComponentPathA gives it to the agent.
// False when the product or the file is not installed.
bool FindInstalledLibrary(std::string* path);
// Runs "msiexec /i <package> /qn" (or "/x {product} /qn") and waits for it. Gives msiexec's
// exit code: 0 done, 1605 nothing to uninstall; -1 when msiexec could not be started or did
// not finish within five minutes. Uninstall before switching packages: Windows refuses a
// second package of the product (1638), Wine installs over the first.
int InstallPackage(const std::string& packagePath);
int UninstallProduct();

// --- committed state ----------------------------------------------------------------------

// Back to a fresh install: default state, empty journal (so no protocol errors), no faults.
bool ResetState();
bool ReadState(ProductState* state);
// Replaces the scheduled tasks with patterned ones of these kinds, by index (may be empty).
bool SetTaskKinds(const std::vector<DWORD>& kinds);

// --- journal ------------------------------------------------------------------------------

// Every call the library received since the last reset, in order. An absent journal is empty.
bool ReadJournal(std::vector<JournalEntry>* entries);
// The messages of the protocol errors among them; -1 count when the journal is unreadable.
bool ReadProtocolErrors(std::vector<std::string>* messages);
int ProtocolErrorCount();

// --- fault switches -----------------------------------------------------------------------

// Taken by the library the next time an interface is obtained.
bool SetFaults(const Faults& faults);
bool ClearFaults();
bool ReadFaults(Faults* faults);

}  // namespace standin
