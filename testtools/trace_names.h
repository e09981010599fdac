// The status mailslot as a collector sees it. Kept apart from the agent's own definitions, so
// that a change there shows up as a failing test instead of moving both sides at once.
#pragma once

constexpr char kTestMailslotName[] = "\\\\.\\mailslot\\RIVARodi";
constexpr char kTestStatusPrefix[] = "[TarnUpdate] ";
