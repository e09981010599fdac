// LC_DISABLE: the product disables its scanner (flag 1).
#include "agent/commands/commands.h"

ResultCode DisableProduct(const CommandRun&, ProductSession& product) {
  return TracedControlCall("DisableLC", [&] { product.port.DisableLC(1); });
}
