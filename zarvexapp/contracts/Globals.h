#pragma once
// The exported globals through which plug-in objects make themselves known.
// Each plug-in object's base constructor stores its address here and the base
// destructor clears it; the host alone sets g_pZarvexConfig.

class CZarvexConfig;
class CAPI;
class CZarvexAppBase;
class CTargetPlatform;
class CTunerModuleBase;

extern CZarvexConfig* g_pZarvexConfig;
extern CAPI* g_pAPI;
extern CZarvexAppBase* g_pApplication;
extern CTargetPlatform* g_pTargetPlatform;
extern CTunerModuleBase* g_pTunerModuleBase;
