// Direct registry access for tests, below HKEY_LOCAL_MACHINE, independent of the agent's code.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

constexpr char kAgentKeyPath[] = "Software\\Velmora\\Brask\\Tarn Configuration Agent";
// Group Policy's key for the agent: the same subkeys and values, read first.
constexpr char kAgentPolicyKeyPath[] = "Software\\Policies\\Velmora\\Brask\\Tarn Configuration Agent";

namespace test_registry {

bool SetDword(const std::string& keyPath, const std::string& name, DWORD value);
bool SetString(const std::string& keyPath, const std::string& name, const std::string& value, DWORD type = REG_SZ);
bool SetBinary(const std::string& keyPath, const std::string& name, const std::string& bytes);
std::optional<DWORD> GetDword(const std::string& keyPath, const std::string& name);
std::optional<std::string> GetString(const std::string& keyPath, const std::string& name);
bool KeyExists(const std::string& keyPath);
bool ValueExists(const std::string& keyPath, const std::string& name);
// Removes a key with everything below it; a missing key is fine.
void DeleteTree(const std::string& keyPath);

// The agent's own subkeys.
inline std::string AgentSubkey(const std::string& subkey) { return std::string(kAgentKeyPath) + "\\" + subkey; }

}  // namespace test_registry
