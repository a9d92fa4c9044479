#include "zarvexapp/contracts/Globals.h"

CZarvexConfig* g_pZarvexConfig = nullptr;
CAPI* g_pAPI = nullptr;
CZarvexAppBase* g_pApplication = nullptr;
CTargetPlatform* g_pTargetPlatform = nullptr;
CTunerModuleBase* g_pTunerModuleBase = nullptr;
