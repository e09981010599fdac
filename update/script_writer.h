// Update scripts written from the product's values, for tarnplan's exports and backups and the
// agent's undo points: keys grouped by
// section (only the first section of a name is read), each section with a comment on what it
// holds, and CR LF line ends. A value that no script can give so that the agent stores it
// exactly is written as a comment with the reason, and reported. Undo points (the agent's, and
// tarnplan's backups) say so in [TARNUPDATE]: the agent stores their values as written.
#pragma once

#include <string>
#include <vector>

#include "update/item_list_row.h"
#include "update/record_table.h"
#include "update/update_kind.h"

struct NotWritten {
  std::string section;
  std::string key;
  std::string reason;
};

class ScriptWriter {
 public:
  // `heading`: comment lines, without their "; ", before the [TARNUPDATE] section.
  ScriptWriter(UpdateKind kind, const std::vector<std::string>& heading);

  // Replaces the heading: for one that counts what was written.
  void SetHeading(const std::vector<std::string>& heading);
  // UndoPoint=1: the script puts back values the product held, extension lists included.
  void MarkUndoPoint();

  void Key(const char* section, const char* key, FieldType type, const BYTE* field);
  // The whole list, numbered from 0 without a gap: an item that cannot be written is left out,
  // and the items after it move up, since the agent stops at the first missing number.
  void List(const ItemListRow& list, const std::vector<std::string>& items);

  std::string Text() const;
  const std::vector<NotWritten>& notWritten() const { return notWritten_; }
  int keysWritten() const { return keysWritten_; }
  int listsWritten() const { return listsWritten_; }

 private:
  std::vector<std::string>& Section(const char* name);

  UpdateKind kind_;
  std::string heading_;
  std::vector<std::pair<std::string, std::vector<std::string>>> sections_;  // name, lines
  std::vector<NotWritten> notWritten_;
  int keysWritten_ = 0;
  int listsWritten_ = 0;
};
