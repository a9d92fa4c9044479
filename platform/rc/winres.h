/* Resource scripts written with Visual Studio include winres.h; here it gives
   the same style and resource constants. */
#include "zxres.h"
