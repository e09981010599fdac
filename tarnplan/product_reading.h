// The installed product's state, read as an update of one type would find it, without
// changing anything: only the product's read calls are made, and every interface obtained is
// released before the library is unloaded.
#pragma once

#include <string>

#include "foundation/result_codes.h"
#include "foundation/unique_handle.h"
#include "tarnplan/record_views.h"
#include "update/memory_product.h"

// Why tarnplan cannot go on, as the agent would meet it: its ResultCode and a one-line cause.
struct Obstacle {
  ResultCode result = kResultSuccess;
  std::string cause;
};

// The product's library with its management interface, as the agent's worker holds them.
class ProductConnection {
 public:
  ProductConnection() = default;
  ~ProductConnection();
  ProductConnection(const ProductConnection&) = delete;
  ProductConnection& operator=(const ProductConnection&) = delete;

  // Finds and loads the library and obtains the interface: 5 or 4 with the cause when not.
  Obstacle Open();
  // Fills `records` with what an update of `kind` reads: the options area's two records and the
  // type's item lists (OAS, ODS), the on-demand task (ODS), the scheduled tasks (SCHEDULE), and
  // how the product answered, for the update engine to meet as the agent would.
  void Read(UpdateKind kind, MemoryProduct::Records& records);

 private:
  LoadedModule library_;  // unloaded last
  AvSyncGetIFaceFn getIFace_ = nullptr;
  ManagementPortTable port_{};
  bool portObtained_ = false;
};

// What in `records` would end an update of `kind` before it is done: the same ResultCode the
// agent gives, or success.
Obstacle ObstacleIn(UpdateKind kind, const MemoryProduct::Records& records);
