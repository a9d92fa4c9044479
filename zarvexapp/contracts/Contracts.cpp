// Compiles the contract headers into the library, so that a contract the
// helper library or the message table no longer meets breaks this build.
#include "zarvexapp/contracts/HostContract.h"
#include "zarvexapp/contracts/CmnCtrlsContract.h"
