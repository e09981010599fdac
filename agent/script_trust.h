// Whether an LC_UPDATE= script is the one the management system named, decided on the entry
// thread before anything of the product is touched (no library, no mutex, no undo point):
// - LC_UPDATE\ScriptSha256, when set, must be the SHA-256 of the script;
// - LC_UPDATE\TrustedSigners, when it lists thumbprints, asks for a detached signature
//   <script>.p7s beside the script by one of them; the agent's own undo points, taken from its
//   own trusted undo folder, need none, as nobody signs them.
// Both look at the agent's private copy: the bytes checked are the bytes the update reads.
#pragma once

#include "agent/command_run.h"
#include "agent/script_copy.h"
#include "foundation/result_codes.h"
#include "foundation/sha256.h"
#include "foundation/text_string.h"

// 0, or 13 with a status line saying why and `refusal` keeping that reason for the run's event.
// `digest`: the copy's SHA-256, or null when it could not be computed (`digestError` says why).
ResultCode CheckScriptTrust(const CommandRun& run, const char* scriptPath, ScriptCopy& copy, const Sha256Digest* digest,
                            DWORD digestError, TextString& refusal);
