/* Resource scripts include commctrl.h for the common controls' class names
   and styles; here it gives the constants of zxres.h. */
#include "zxres.h"
