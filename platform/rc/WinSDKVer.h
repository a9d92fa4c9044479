/* A wizard's targetver.h includes WinSDKVer.h for the newest Windows
   version the headers know (_WIN32_WINNT_MAXVER); they are in zxres.h. */
#include "zxres.h"
