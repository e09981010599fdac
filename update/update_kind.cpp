#include "update/update_kind.h"

#include <windows.h>

#include <cstring>

namespace {

struct KindName {
  UpdateKind kind;
  const char* name;
};
constexpr KindName kKinds[] = {
    {UpdateKind::kOAS, "OAS"}, {UpdateKind::kODS, "ODS"}, {UpdateKind::kSchedule, "SCHEDULE"}};

}  // namespace

bool FindUpdateKind(const char* name, UpdateKind& kind) {
  for (const KindName& each : kKinds) {
    if (_stricmp(name, each.name) == 0) {
      kind = each.kind;
      return true;
    }
  }
  return false;
}

const char* UpdateKindName(UpdateKind kind) {
  for (const KindName& each : kKinds) {
    if (each.kind == kind) return each.name;
  }
  return "";
}
