/* Resource scripts include winuser.h for window styles and virtual keys;
   here it gives the constants of zxres.h. */
#include "zxres.h"
