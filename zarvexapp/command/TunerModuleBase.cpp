#include "zarvexapp/command/TunerModuleBase.h"

#include "zarvexapp/application/ZarvexAppBase.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/command/CallbackTargets.h"
#include "zarvexapp/contracts/Globals.h"
#include "zarvexapp/pages/PageBase.h"

namespace {

// Where a tuner transfer goes: the API, the call-back target and its type.
// No API: nothing is sent. A calling page without an API does not fall back
// to the application.
struct Route {
    CAPI* api = nullptr;
    void* target = nullptr;
    t_API_MSG_CALLBACK_TYPE type = API_CALLBACK_NONE;
};

Route RouteFor(CPageBase* page) {
    if (!g_pApplication)
        return {};
    if (page) {
        // A calling page destroyed since it was set has no API to lend.
        if (!zx::IsPageAlive(page))
            return {};
        return {page->m_rpAPI, page, API_CALLBACK_PAGE};
    }
    return {g_pApplication->m_pAPI, g_pApplication, API_CALLBACK_APPLICATION};
}

constexpr ULONG WriteFlags(unsigned int flags) {
    return flags & ~API_FLAG_WAIT;
}

constexpr ULONG ReadFlags(unsigned int flags) {
    return (flags & ~API_FLAG_WAIT) | API_FLAG_CALLBACK;
}

} // namespace

CTunerModuleBase::CTunerModuleBase() : m_uTunerModuleIndex(0xFFFFFFFFu), m_pCallingPage(nullptr) {}

CTunerModuleBase::CTunerModuleBase(const CTunerModuleBase& other)
    : m_uTunerModuleIndex(other.m_uTunerModuleIndex), m_strDescription(other.m_strDescription),
      m_strFullDescription(other.m_strFullDescription), m_pCallingPage(other.m_pCallingPage) {}

CTunerModuleBase& CTunerModuleBase::operator=(const CTunerModuleBase& other) {
    m_uTunerModuleIndex = other.m_uTunerModuleIndex;
    m_strDescription = other.m_strDescription;
    m_strFullDescription = other.m_strFullDescription;
    m_pCallingPage = other.m_pCallingPage;
    return *this;
}

CTunerModuleBase::~CTunerModuleBase() {
    if (g_pTunerModuleBase == this)
        g_pTunerModuleBase = nullptr;
    m_pCallingPage = nullptr;
}

unsigned int CTunerModuleBase::GetTunerModuleIndex() {
    return m_uTunerModuleIndex;
}

CString CTunerModuleBase::GetDescription() {
    return m_strDescription;
}

CString CTunerModuleBase::GetFullDescription() {
    return m_strFullDescription;
}

void CTunerModuleBase::SetCallingPage(CPageBase* pPage) {
    m_pCallingPage = pPage;
}

UWM_API_COMMAND_MESSAGE* CTunerModuleBase::WriteI2CAddress(unsigned char address, ULONG data,
                                                           unsigned int count, unsigned int flags,
                                                           void* userData) {
    const Route route = RouteFor(m_pCallingPage);
    return route.api ? route.api->WriteI2CAddress(address, data, count, WriteFlags(flags),
                                                  route.target, route.type, userData)
                     : nullptr;
}

UWM_API_COMMAND_MESSAGE* CTunerModuleBase::ReadI2CAddress(unsigned char address, unsigned int count,
                                                          unsigned int flags, void* userData) {
    const Route route = RouteFor(m_pCallingPage);
    return route.api ? route.api->ReadI2CAddress(address, count, ReadFlags(flags), route.target,
                                                 route.type, userData)
                     : nullptr;
}

UWM_API_COMMAND_MESSAGE* CTunerModuleBase::WriteI2CSubAddress(unsigned char address,
                                                              unsigned char subAddress, ULONG data,
                                                              unsigned int count,
                                                              unsigned int flags, void* userData) {
    const Route route = RouteFor(m_pCallingPage);
    return route.api
               ? route.api->WriteI2CSubAddress(address, subAddress, data, count, WriteFlags(flags),
                                               route.target, route.type, userData)
               : nullptr;
}

UWM_API_COMMAND_MESSAGE* CTunerModuleBase::ReadI2CSubAddress(unsigned char address,
                                                             unsigned char subAddress,
                                                             unsigned int count, unsigned int flags,
                                                             void* userData) {
    const Route route = RouteFor(m_pCallingPage);
    return route.api ? route.api->ReadI2CSubAddress(address, subAddress, count, ReadFlags(flags),
                                                    route.target, route.type, userData)
                     : nullptr;
}
