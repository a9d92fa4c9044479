/* Resource scripts of newer Visual Studio versions include verrsrc.h for
   the version block's constants; here it gives the constants of zxres.h. */
#include "zxres.h"
