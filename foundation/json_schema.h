// The version of every JSON document the agent and its tools write; raised when a member
// changes its meaning or goes, so that readers can tell which shape they hold.
#pragma once

constexpr int kJsonSchemaVersion = 1;
