/* A wizard's targetver.h includes SDKDDKVer.h, which picks the Windows
   version to build for: the one already defined, else the newest known.
   The version constants are in zxres.h. */
#ifndef ZX_RC_SDKDDKVER_H
#define ZX_RC_SDKDDKVER_H
#include "zxres.h"

#ifndef _WIN32_WINNT
#define _WIN32_WINNT _WIN32_WINNT_MAXVER
#endif
#ifndef WINVER
#define WINVER _WIN32_WINNT
#endif
#ifndef NTDDI_VERSION
#define NTDDI_VERSION ((_WIN32_WINNT) << 16)
#endif
#ifndef _WIN32_IE
#if _WIN32_WINNT <= _WIN32_WINNT_WIN2K
#define _WIN32_IE _WIN32_IE_IE50
#elif _WIN32_WINNT <= _WIN32_WINNT_WS03
#define _WIN32_IE _WIN32_IE_IE60
#elif _WIN32_WINNT <= _WIN32_WINNT_VISTA
#define _WIN32_IE _WIN32_IE_IE70
#elif _WIN32_WINNT <= _WIN32_WINNT_WIN7
#define _WIN32_IE _WIN32_IE_IE80
#else
#define _WIN32_IE _WIN32_IE_MAXVER
#endif
#endif

#endif
