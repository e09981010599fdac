// LC_STOP: the product stops its scanner.
#include "agent/commands/commands.h"

ResultCode StopProduct(const CommandRun&, ProductSession& product) {
  return TracedControlCall("StopLC", [&] { product.port.StopLC(); });
}
