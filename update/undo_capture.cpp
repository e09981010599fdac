#include "update/undo_capture.h"

#include <cstdio>
#include <cstring>
#include <fstream>

#include "update/field_values.h"
#include "update/record_tables.h"

namespace {

constexpr char kTitle[] = "Undo point of tarnupd.exe ";
constexpr char kTime[] = "Time: ";
constexpr char kScript[] = "Script: ";
constexpr char kType[] = "Update type: ";
constexpr char kPutsBack[] = "Puts back: ";

bool TakeAfter(const std::string& line, const char* label, std::string& value) {
  if (line.compare(0, 2 + std::strlen(label), std::string("; ") + label) != 0) return false;
  value = line.substr(2 + std::strlen(label));
  return true;
}

// "YYYY-MM-DD HH:MM:SS.mmm UTC", as the agent writes it.
bool IsTimeText(const std::string& text) {
  constexpr char kForm[] = "0000-00-00 00:00:00.000 UTC";
  if (text.size() != sizeof kForm - 1) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (kForm[i] == '0' ? text[i] < '0' || text[i] > '9' : text[i] != kForm[i]) return false;
  }
  return true;
}

// The fields an undo point of the type can put back: every key of the records it updates.
std::size_t FieldCount(UpdateKind kind) {
  std::size_t count = 0;
  const auto add = [&count](const RecordTable& table) {
    ForEachField(table, [&count](const char*, const char*, FieldType, std::size_t) { ++count; });
  };
  if (kind == UpdateKind::kSchedule) {
    add(UpdateTaskFields);
    add(UpgradeTaskFields);
  } else {
    add(GeneralRecordFields);
    add(kind == UpdateKind::kOAS ? OASTaskFields : ODSTaskFields);
  }
  return count;
}

std::size_t ListCount(UpdateKind kind) {
  if (kind == UpdateKind::kSchedule) return 0;
  return kind == UpdateKind::kOAS ? 1 : sizeof ODSTaskLists / sizeof ODSTaskLists[0];
}

// Plain decimal digits, as the agent writes a count, of at most `most`.
bool TakeCount(const std::string& digits, std::size_t most, std::size_t& count) {
  if (digits.empty() || digits.size() > 1 + std::to_string(most).size() || (digits[0] == '0' && digits.size() > 1)) {
    return false;
  }
  count = 0;
  for (const char digit : digits) {
    if (digit < '0' || digit > '9') return false;
    count = count * 10 + static_cast<std::size_t>(digit - '0');
  }
  return count <= most;
}

}  // namespace

std::vector<std::string> UndoHeading(const UndoPointInfo& info) {
  return {kTitle + info.agentVersion,
          kTime + info.time,
          kScript + info.script,
          kType + info.updateType,
          kPutsBack + std::to_string(info.keys) + " keys, " + std::to_string(info.lists) + " lists",
          "Apply with tarnupd.exe LC_UPDATE=<this file> to put back what the script replaced."};
}

bool ReadUndoHeading(const std::string& path, UndoPointInfo& info) {
  std::ifstream file(path, std::ios::binary);
  std::string lines[5];
  for (std::string& line : lines) {
    if (!std::getline(file, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
  std::string counts;
  if (!TakeAfter(lines[0], kTitle, info.agentVersion) || !TakeAfter(lines[1], kTime, info.time) ||
      !TakeAfter(lines[2], kScript, info.script) || !TakeAfter(lines[3], kType, info.updateType) ||
      !TakeAfter(lines[4], kPutsBack, counts)) {
    return false;
  }
  UpdateKind kind;
  if (!IsTimeText(info.time) || !FindUpdateKind(info.updateType.c_str(), kind) ||
      info.updateType != UpdateKindName(kind)) {
    return false;
  }
  const std::size_t keysEnd = counts.find(" keys, ");
  if (keysEnd == std::string::npos || counts.size() < 6 || counts.compare(counts.size() - 6, 6, " lists") != 0 ||
      !TakeCount(counts.substr(0, keysEnd), FieldCount(kind), info.keys) ||
      !TakeCount(counts.substr(keysEnd + 7, counts.size() - 6 - keysEnd - 7), ListCount(kind), info.lists)) {
    return false;
  }
  return true;
}

std::string UndoPointName(const SYSTEMTIME& time, UpdateKind kind) {
  char stamp[24];
  std::snprintf(stamp, sizeof stamp, "%04u%02u%02u-%02u%02u%02u-%03u", time.wYear, time.wMonth, time.wDay, time.wHour,
                time.wMinute, time.wSecond, time.wMilliseconds);
  return std::string(stamp) + "-" + UpdateKindName(kind) + ".INI";
}

bool IsUndoPointName(const std::string& name) {
  constexpr std::size_t kStamp = 19;  // YYYYMMDD-HHMMSS-mmm
  if (name.size() <= kStamp + 1 + 4 || name[kStamp] != '-') return false;
  for (std::size_t i = 0; i < kStamp; ++i) {
    const bool dash = i == 8 || i == 15;
    if (dash ? name[i] != '-' : (name[i] < '0' || name[i] > '9')) return false;
  }
  UpdateKind kind;
  const std::string type = name.substr(kStamp + 1, name.size() - kStamp - 1 - 4);
  return _stricmp(name.c_str() + name.size() - 4, ".INI") == 0 && FindUpdateKind(type.c_str(), kind);
}

ScriptWriter UndoScript(UpdateKind kind, const std::vector<std::string>& heading, const std::vector<ReplacedKey>& keys,
                        const std::vector<ReplacedList>& lists) {
  ScriptWriter script(kind, heading);
  script.MarkUndoPoint();
  for (const ReplacedKey& key : keys) {
    script.Key(key.section, key.key, key.type, reinterpret_cast<const BYTE*>(key.bytes.data()));
  }
  for (const ReplacedList& list : lists) script.List(*list.list, list.items);
  return script;
}

ScriptWriter UndoPointScript(const UndoCapture& capture, UndoPointInfo& info) {
  ScriptWriter script = UndoScript(capture.kind(), {}, capture.keys(), capture.lists());
  info.keys = static_cast<std::size_t>(script.keysWritten());
  info.lists = static_cast<std::size_t>(script.listsWritten());
  script.SetHeading(UndoHeading(info));
  return script;
}

void UndoCapture::Key(const char* section, const char* key, FieldType type, const void* field) {
  keys_.push_back({section, key, type, std::string(static_cast<const char*>(field), FieldWidth(type))});
}

void UndoCapture::KeyWritten(const void* field) {
  const ReplacedKey& before = keys_.back();
  if (FieldContent(before.type, reinterpret_cast<const BYTE*>(before.bytes.data())) ==
      FieldContent(before.type, static_cast<const BYTE*>(field))) {
    keys_.pop_back();
  }
}

void UndoCapture::List(ProductTarget& product, DWORD listId) {
  for (const ItemListRow* row : kAllItemLists) {
    if (row->listId != listId) continue;
    ReplacedList list{row, {}};
    const int count = product.GetItemCount(listId);
    for (int index = 0; index < count; ++index) {
      char item[kItemTextSize] = {};
      product.GetItem(listId, item, kItemTextSize, static_cast<DWORD>(index));
      item[kItemTextSize - 1] = '\0';
      list.items.emplace_back(item);
    }
    lists_.push_back(std::move(list));
    return;
  }
}

void UndoCapture::ListFilled(DWORD listId, const std::vector<std::string>& items) {
  if (!lists_.empty() && lists_.back().list->listId == listId && lists_.back().items == items) lists_.pop_back();
}

void UndoCapture::BeforeStore() {
  if (keys_.size() + lists_.size() == seen_) return;
  seen_ = keys_.size() + lists_.size();
  keeper_(*this);
}
