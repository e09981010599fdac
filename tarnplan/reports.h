// What tarnplan tells: for people as text, for management consoles and pipelines as one JSON
// object per run (docs/administrators.md describes its members).
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "foundation/result_codes.h"
#include "tarnplan/preview.h"
#include "update/script_writer.h"

// Exit codes: nothing would change (or nothing left out of an export), something would change
// (or was left out), the agent would fail or tarnplan could not do its work.
constexpr int kExitNothing = 0;
constexpr int kExitSomething = 1;
constexpr int kExitError = 2;

// The text the agent would leave as its ReturnString, from the agent's own string table.
std::string ResultText(ResultCode code, const std::string& scriptPath);

// The whole text at once: written with one call, since a console or a device takes each call apart.
std::string PreviewText(const std::string& scriptPath, const Preview& preview, const std::string& resultText);
nlohmann::ordered_json PreviewJson(const Preview& preview);
nlohmann::ordered_json NotWrittenJson(const std::vector<NotWritten>& notWritten);

// Warnings on standard error, one line for each value left out.
void WarnNotWritten(const char* what, const std::vector<NotWritten>& notWritten);

// Control characters as \xHH: a text read from a file (a script's path) must not drive the
// terminal it is shown on.
std::string EscapeControls(const std::string& text);
