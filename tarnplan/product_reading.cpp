#include "tarnplan/product_reading.h"

#include <cstring>

#include "product_api/sync_loader.h"
#include "update/live_product.h"

namespace {

std::vector<std::string> ReadItems(LiveProduct& product, DWORD listId) {
  std::vector<std::string> items;
  const int count = product.GetItemCount(listId);
  for (int index = 0; index < count; ++index) {
    char item[kItemTextSize] = {};
    product.GetItem(listId, item, kItemTextSize, static_cast<DWORD>(index));
    item[kItemTextSize - 1] = '\0';
    items.emplace_back(item);
  }
  return items;
}

// The console as the update would use it; a refused one is neither used nor released.
void ReadConsole(UpdateKind kind, LiveProduct& product, MemoryProduct::Records& records) {
  records.consoleAnswer = product.OpenConsole();
  if (records.consoleAnswer != kGetIFaceOk) return;
  if (kind == UpdateKind::kODS) {
    ODSTaskRecord task{};
    if (product.GetODSTask(&task)) records.odsTask = task;
  } else {
    const int count = product.GetTaskCount();
    for (int index = 0; index < count; ++index) {
      // A task the product does not hand out stays zeroed: of no kind, as the agent sees it.
      TaskRecord task;
      std::memset(&task, 0, sizeof task);
      if (!product.GetTask(&task, static_cast<DWORD>(index))) std::memset(&task, 0, sizeof task);
      records.tasks.push_back(task);
    }
  }
  product.ReleaseConsole();
}

void ReadOptions(UpdateKind kind, LiveProduct& product, MemoryProduct::Records& records) {
  OptionsBlock block{};
  DWORD size = 0;
  // A block without a record's address is as good as no options at all.
  records.optionsReadable = product.GetOptions(&block, &size) && block.generalRecord != nullptr &&
                            (kind != UpdateKind::kOAS || block.oasTaskRecord != nullptr);
  records.optionsSize = size;
  if (!OptionsUsable(records)) return;
  std::memcpy(records.general.data(), block.generalRecord, records.general.size());
  if (kind == UpdateKind::kOAS) std::memcpy(records.oasTask.data(), block.oasTaskRecord, records.oasTask.size());
  for (const ItemListRow* list : ListsOf(kind)) records.lists[list->listId] = ReadItems(product, list->listId);
  if (kind == UpdateKind::kODS) ReadConsole(kind, product, records);
}

}  // namespace

ProductConnection::~ProductConnection() {
  if (portObtained_) port_.ReleaseIFace();
}

Obstacle ProductConnection::Open() {
  if (LoadSyncUtil(library_, getIFace_) != kResultSuccess) {
    // A library loaded without its export is still held.
    return {kResultSyncLibraryNotLoaded,
            library_ ? "the product's SYNCUTIL.DLL has no AvSync_GetIFace"
                     : "the product is not installed, or its SYNCUTIL.DLL cannot be loaded"};
  }
  const int answer = getIFace_(AVSIF_MANAGEMENTPORT, &port_);
  if (answer != kGetIFaceOk) {
    // Any answer but 0 may have left the table unfilled: nothing of it is called or released.
    return {kResultGetIFaceFailed,
            "the product refused its management interface (answer " + std::to_string(answer) + ")"};
  }
  portObtained_ = true;
  return {};
}

void ProductConnection::Read(UpdateKind kind, MemoryProduct::Records& records) {
  LiveProduct product(getIFace_, port_);
  if (kind == UpdateKind::kSchedule) {
    ReadConsole(kind, product, records);
  } else {
    ReadOptions(kind, product, records);
  }
}

Obstacle ObstacleIn(UpdateKind kind, const MemoryProduct::Records& records) {
  const std::string console = "the product refused its console interface (answer " +
                              std::to_string(records.consoleAnswer) + ")";
  if (kind == UpdateKind::kSchedule) {
    if (records.consoleAnswer != kGetIFaceOk) return {kResultBadCommandLine, console};
    if (FindTask(records, kTaskKindUpdate) < 0) return {kResultUpdateTaskNotFound, "the product has no Update task"};
    if (FindTask(records, kTaskKindUpgrade) < 0) return {kResultUpgradeTaskNotFound, "the product has no Upgrade task"};
    return {};
  }
  if (!records.optionsReadable) {
    return {kResultGetOptionsFailed, "the product's options cannot be read (GetOptions failed)"};
  }
  if (records.optionsSize != kOptionsAreaSize) {
    return {kResultSizeMismatch, "the product's options area is " + std::to_string(records.optionsSize) +
                                     " bytes long, not " + std::to_string(kOptionsAreaSize)};
  }
  if (kind == UpdateKind::kODS && records.consoleAnswer != kGetIFaceOk) return {kResultGetIFaceFailed, console};
  if (kind == UpdateKind::kODS && !records.odsTask) {
    return {kResultGetOptionsFailed, "the product gives no on-demand task (GetODSTask failed)"};
  }
  return {};
}
