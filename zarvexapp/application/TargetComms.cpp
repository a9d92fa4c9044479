// CZarvexAppBase: the communications plug-in (.ctc) of the selected target
// platform. Loading takes over the CAPI object the plug-in registers and
// attaches it to the application's worker record; unloading stops the
// worker, frees the call-backs still queued for this thread (no record may
// outlive its API) and releases the plug-in. User-interface thread only.

#include "zarvexapp/application/ZarvexAppBase.h"

#include "platform/Messages.h"
#include "platform/Modules.h"
#include "platform/WideText.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/command/CallbackTargets.h"
#include "zarvexapp/contracts/Globals.h"

#include <string>

namespace {

constexpr DWORD kPathChars = 520;

CString CountText(unsigned int count) {
    CString text;
    text.Format(L"%u", count);
    return text;
}

} // namespace

bool CZarvexAppBase::LoadTargetComms(CAPI* pApi) {
    // The selected platform's entry names its link by its position in the
    // configuration's communications table.
    CString* entry = nullptr;
    ULONG parameter = 0;
    if (g_pZarvexConfig && m_iTargetPlatform >= 0 &&
        static_cast<unsigned int>(m_iTargetPlatform) < m_uSupportedPlatforms &&
        m_pSupportedPlatforms) {
        const t_SUPPORTED_PLATFORM& platform = m_pSupportedPlatforms[m_iTargetPlatform];
        entry = g_pZarvexConfig->GetCommsDllName(platform.uCommsIndex);
        parameter = platform.dwCommsParameter;
    }
    if (!entry) {
        PrintToDebugFile(L"ERROR in CZarvexAppBase::LoadTargetComms() when attempting to load "
                         L"target-communications with NULL DllName pointer!!\n");
        return false;
    }
    PrintToDebugFile(L"Attempting to load target-communications : %s\n", *entry);

    CString fileName = entry->Left(static_cast<int>(kPathChars) - 1);
    if (fileName.Find(L".ctc") < 0 && fileName.GetLength() + 4 < static_cast<int>(kPathChars))
        fileName += L".ctc";

    // A module still held (its unload failed earlier) goes too, or its
    // reference would be lost with the handle.
    if ((m_pAPI || m_hCommsModule) && !UnloadTargetPlatform())
        return false;

    PrintToDebugFile(L"Attempting to load target comms : %s\n", fileName);
    // Only the object this load constructs may be taken over.
    g_pAPI = nullptr;
    m_hCommsModule = LoadLibraryW(fileName);
    if (!m_hCommsModule) {
        const CString reason(zx::Utf8ToWide(zx::LastLoadErrorText()));
        PrintToDebugFile(L"#### ERROR : Could not load target comms %s : %s\n", fileName, reason);
    }
    if (!g_pAPI) {
        if (m_hCommsModule)
            PrintToDebugFile(L"#### ERROR : %s registered no communications API\n", fileName);
        UnloadTargetPlatform();
        m_strCommsDll.Empty();
        return false;
    }
    if (!pApi)
        m_pAPI = g_pAPI;
    PrintToDebugFile(L"Target-platform comms load Ok : %s\n", fileName);
    m_strCommsDll = fileName;
    m_WorkerThreadInfo.hCommsModule = m_hCommsModule;
    m_WorkerThreadInfo.lLinkCount = 1;
    g_pAPI->Attach(&m_WorkerThreadInfo, parameter);
    g_pAPI = nullptr;
    return true;
}

bool CZarvexAppBase::UnloadTargetPlatform() {
    if (m_hCommsModule) {
        ReInitTargetPlatform();
        if (m_pAPI) {
            m_pAPI->Release();
            m_pAPI = nullptr;
        }
        if (!FreeLibrary(m_hCommsModule)) {
            m_strCommsDll.Empty();
            return false;
        }
        m_hCommsModule = nullptr;
        m_strCommsDll.Empty();
        PrintToDebugFile(L"Target-platform communications unload Ok\n");
    }
    m_bStarted = false;
    return m_pAPI == nullptr;
}

void CZarvexAppBase::ReInitTargetPlatform() {
    if (!m_hCommsModule)
        return;
    PrintToDebugFile(L"Attempting to unload target comms %s\n", GetTargetCommsTitle());
    Terminate();
    if (m_pAPI)
        m_pAPI->Stop();

    PrintToDebugFile(L"Removing any unprocessed API callback messages...\n");
    unsigned int callbacks = 0;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, UWM_API_CALLBACK, UWM_API_CALLBACK, PM_REMOVE)) {
        delete reinterpret_cast<UWM_API_COMMAND_MESSAGE*>(msg.wParam);
        ++callbacks;
    }
    PrintToDebugFile(L"Found %s messages...\n", CountText(callbacks));

    PrintToDebugFile(L"Removing any unprocessed API Display callback messages...\n");
    unsigned int displays = 0;
    while (PeekMessageW(&msg, nullptr, UWM_API_DISPLAY_CALLBACK, UWM_API_DISPLAY_CALLBACK,
                        PM_REMOVE)) {
        if (auto* record = reinterpret_cast<UWM_API_DISPLAY_MESSAGE*>(msg.wParam)) {
            delete[] record->pdwData;
            record->pdwData = nullptr;
            delete record->pText;
            record->pText = nullptr;
            delete record;
        }
        ++displays;
    }
    PrintToDebugFile(L"Found %s messages...\n", CountText(displays));

    // Nothing that was in flight can come back any more.
    zx::ForgetPageRequests();
    ForgetInterruptRequests();
    m_bStarted = false;
}

bool CZarvexAppBase::ReloadTargetPlatform() {
    UnloadTargetPlatform();
    // The System tab's platform page is shown with the tab pages; without
    // it there is no page to refresh.
    return OnTargetPlatformChange();
}

bool CZarvexAppBase::SetTargetPlatform(unsigned int uIndex) {
    const bool changed = m_iTargetPlatform != static_cast<int>(uIndex);
    if (changed)
        m_iTargetPlatform = static_cast<int>(uIndex);
    return changed;
}

CString CZarvexAppBase::GetTargetCommsTitle() {
    return ModuleVersionValue(m_hCommsModule, L"FileDescription");
}

CString CZarvexAppBase::GetTargetCommsVersion() {
    return ModuleVersionValue(m_hCommsModule, L"FileVersion");
}
