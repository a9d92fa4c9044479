/* Resource scripts include winver.h for the version block's constants;
   here it gives the constants of zxres.h. */
#include "zxres.h"
