/* Resource scripts that change a common dialog's template include dlgs.h for
   its control ids; here they come from zxres.h, also to C++ code that asks. */
#define ZX_RC_WANT_DLGS
#include "zxres.h"
