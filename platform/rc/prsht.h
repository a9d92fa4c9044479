/* Resource scripts of property sheets include prsht.h; here it gives the
   constants of zxres.h. */
#include "zxres.h"
