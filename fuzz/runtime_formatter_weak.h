// Force-included into the agent's text type for the native targets. Its formatting calls
// msvcrt's _vsnprintf and _vscprintf, which Linux does not have: weak references leave them
// out of the link without standing in for them. The targets never format; a call would fault.
#pragma once

#pragma weak _vsnprintf
#pragma weak _vscprintf
