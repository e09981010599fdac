// LC_ENABLE: the product enables its scanner (flag 1).
#include "agent/commands/commands.h"

ResultCode EnableProduct(const CommandRun&, ProductSession& product) {
  return TracedControlCall("EnableLC", [&] { product.port.EnableLC(1); });
}
