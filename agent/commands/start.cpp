// LC_START: the product starts its scanner.
#include "agent/commands/commands.h"

ResultCode StartProduct(const CommandRun&, ProductSession& product) {
  return TracedControlCall("StartLC", [&] { product.port.StartLC(); });
}
