// The update script reference in Markdown, generated from the update type catalogue so that it
// always says what the agent runs: docs/update-script-reference.md is this text.
#pragma once

#include <string>

std::string ReferenceMarkdown();
