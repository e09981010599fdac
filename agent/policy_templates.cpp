// policy_templates FOLDER: writes the administrative templates of the agent's settings,
// FOLDER\tarnupd.admx and FOLDER\en-US\tarnupd.adml, from the table of settings an administrator
// sets. tools/update-policy-templates runs it; installer/policy holds its output, checked in.
#include <cstdio>
#include <string>

#include "agent/administrator_settings.h"

namespace {

constexpr char kNamespace[] = "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions";

std::string Escaped(const char* text) {
  std::string escaped;
  for (; *text != '\0'; ++text) {
    switch (*text) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      default: escaped += *text;
    }
  }
  return escaped;
}

std::string PolicyKey(const SettingName& name) {
  return std::string("Software\\Policies\\") + kAgentVendorPath + "\\" + kAgentKeyName + "\\" + name.subkey;
}

std::string Admx() {
  std::string out = std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n") +
                    "<policyDefinitions revision=\"1.0\" schemaVersion=\"1.0\" xmlns=\"" + kNamespace + "\">\r\n" +
                    "  <policyNamespaces>\r\n"
                    "    <target prefix=\"tarnupd\" namespace=\"Velmora.Policies.TarnConfigurationAgent\" />\r\n"
                    "  </policyNamespaces>\r\n"
                    "  <resources minRequiredRevision=\"1.0\" />\r\n"
                    "  <supportedOn>\r\n    <definitions>\r\n"
                    "      <definition name=\"SUPPORTED_Agent\" displayName=\"$(string.SUPPORTED_Agent)\" />\r\n"
                    "    </definitions>\r\n  </supportedOn>\r\n"
                    "  <categories>\r\n"
                    "    <category name=\"TarnConfigurationAgent\" displayName=\"$(string.TarnConfigurationAgent)\" />\r\n"
                    "  </categories>\r\n  <policies>\r\n";
  for (const AdministratorSetting& setting : kAdministratorSettings) {
    const std::string id = setting.id;
    out += "    <policy name=\"" + id + "\" class=\"Machine\" displayName=\"$(string." + id + ")\" explainText=\"$(string." +
           id + "_Help)\"";
    if (setting.kind != PolicyValueKind::kSwitch) out += " presentation=\"$(presentation." + id + ")\"";
    out += " key=\"" + Escaped(PolicyKey(setting.name).c_str()) + "\"";
    if (setting.kind == PolicyValueKind::kSwitch) out += " valueName=\"" + Escaped(setting.name.value) + "\"";
    out += ">\r\n      <parentCategory ref=\"TarnConfigurationAgent\" />\r\n"
           "      <supportedOn ref=\"SUPPORTED_Agent\" />\r\n";
    const std::string value = " id=\"" + id + "\" valueName=\"" + Escaped(setting.name.value) + "\"";
    switch (setting.kind) {
      case PolicyValueKind::kSwitch:
        out += "      <enabledValue><decimal value=\"1\" /></enabledValue>\r\n"
               "      <disabledValue><decimal value=\"0\" /></disabledValue>\r\n";
        break;
      case PolicyValueKind::kNumber:
        out += "      <elements>\r\n        <decimal" + value + " required=\"true\" minValue=\"" +
               std::to_string(setting.minimum) + "\" maxValue=\"" + std::to_string(setting.maximum) +
               "\" />\r\n      </elements>\r\n";
        break;
      case PolicyValueKind::kPath:
        out += "      <elements>\r\n        <text" + value +
               " required=\"true\" expandable=\"true\" maxLength=\"259\" />\r\n      </elements>\r\n";
        break;
      case PolicyValueKind::kTextList:
        out += "      <elements>\r\n        <multiText" + value + " />\r\n      </elements>\r\n";
        break;
    }
    out += "    </policy>\r\n";
  }
  return out + "  </policies>\r\n</policyDefinitions>\r\n";
}

std::string String(const std::string& id, const char* text) {
  return "      <string id=\"" + id + "\">" + Escaped(text) + "</string>\r\n";
}

std::string Adml() {
  std::string out = std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n") +
                    "<policyDefinitionResources revision=\"1.0\" schemaVersion=\"1.0\" xmlns=\"" + kNamespace +
                    "\">\r\n" + "  <displayName>" + kAgentKeyName + "</displayName>\r\n" +
                    "  <description>Settings of the " + kAgentKeyName + " (tarnupd.exe)</description>\r\n" +
                    "  <resources>\r\n    <stringTable>\r\n" + String("TarnConfigurationAgent", kAgentKeyName) +
                    String("SUPPORTED_Agent", "Tarn Configuration Agent 1.0 and later");
  std::string presentations;
  for (const AdministratorSetting& setting : kAdministratorSettings) {
    const std::string id = setting.id;
    out += String(id, setting.title) + String(id + "_Help", setting.explanation);
    if (setting.kind == PolicyValueKind::kSwitch) continue;
    presentations += "      <presentation id=\"" + id + "\">\r\n";
    const std::string label = Escaped(setting.label);
    switch (setting.kind) {
      case PolicyValueKind::kNumber:
        presentations += "        <decimalTextBox refId=\"" + id + "\" defaultValue=\"" +
                         std::to_string(setting.defaultNumber) + "\">" + label + "</decimalTextBox>\r\n";
        break;
      case PolicyValueKind::kPath:
        presentations += "        <textBox refId=\"" + id + "\">\r\n          <label>" + label +
                         "</label>\r\n        </textBox>\r\n";
        break;
      default:
        presentations += "        <multiTextBox refId=\"" + id + "\">" + label + "</multiTextBox>\r\n";
    }
    presentations += "      </presentation>\r\n";
  }
  return out + "    </stringTable>\r\n    <presentationTable>\r\n" + presentations +
         "    </presentationTable>\r\n  </resources>\r\n</policyDefinitionResources>\r\n";
}

bool WriteWhole(const std::string& path, const std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: policy_templates FOLDER\n");
    return 64;
  }
  const std::string folder = argv[1];
  CreateDirectoryA((folder + "\\en-US").c_str(), nullptr);
  if (!WriteWhole(folder + "\\tarnupd.admx", Admx()) || !WriteWhole(folder + "\\en-US\\tarnupd.adml", Adml())) {
    std::fprintf(stderr, "policy_templates: cannot write into %s (error %lu)\n", folder.c_str(), GetLastError());
    return 1;
  }
  return 0;
}
