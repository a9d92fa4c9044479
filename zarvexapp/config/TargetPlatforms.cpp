// CZarvexConfig: the target-platform catalogue. The loaded application's
// platforms (filled while it loads, emptied when it goes) and the global
// list of every application's platforms, each platform / daughter-card pair
// once; the combo boxes that show them; switching the application's
// selected platform; and the host's ticks passed on to the application.

#include "zarvexapp/config/ZarvexConfig.h"

#include "cmnctrls/FontStatic.h"
#include "platform/ComboBox.h"
#include "zarvexapp/application/ZarvexAppBase.h"
#include "zarvexapp/contracts/Globals.h"

#include <cstdint>

namespace {

using t_TARGET_PLATFORM = CZarvexConfig::t_TARGET_PLATFORM;

CString* CopyText(const CString* text) {
    return new CString(text ? *text : CString());
}

// Grows a list by one zero-filled entry and returns it.
t_TARGET_PLATFORM& Append(t_TARGET_PLATFORM*& list, unsigned int& size) {
    auto* grown = new t_TARGET_PLATFORM[size + 1]();
    for (unsigned int i = 0; i < size; ++i)
        grown[i] = list[i];
    delete[] list;
    list = grown;
    return list[size++];
}

void FreeList(t_TARGET_PLATFORM*& list, unsigned int& size) {
    for (unsigned int i = 0; i < size; ++i) {
        delete list[i].pPlatformTitle;
        delete list[i].pPlatformName;
        delete list[i].pPlatformDcName;
        delete list[i].pHwVersionText;
        delete list[i].pHwFeaturesText;
    }
    delete[] list;
    list = nullptr;
    size = 0;
}

CString Text(const CString* text) {
    return text ? *text : CString();
}

// The selected item's text; empty when nothing is selected.
CString SelectedText(CComboBox* box) {
    CString text;
    if (box && box->GetCurSel() != CB_ERR)
        box->GetLBText(box->GetCurSel(), text);
    return text;
}

// Adds the name once (an exact, case-insensitive match counts as there).
// A platform entry with copies of another's texts: an application's own
// declaration or an entry of the loaded application's list.
template <typename Source>
void CopyPlatform(CZarvexConfig::t_TARGET_PLATFORM& entry, const Source& from) {
    entry.uPlatformIndex = from.uPlatformIndex;
    entry.pPlatformTitle = CopyText(from.pPlatformTitle);
    entry.pPlatformName = CopyText(from.pPlatformName);
    entry.uPlatformDcIndex = from.uPlatformDcIndex;
    entry.pPlatformDcName = CopyText(from.pPlatformDcName);
    entry.pHwVersionText = CopyText(from.pHwVersionText);
    entry.pHwFeaturesText = CopyText(from.pHwFeaturesText);
}

void AddOnce(CComboBox* box, const CString& text, DWORD_PTR data) {
    if (box->FindStringExact(-1, text) == CB_ERR)
        box->SetItemData(box->AddString(text), data);
}

void SelectRemembered(CComboBox* box, const CString& remembered) {
    if (box->SelectString(-1, remembered) == CB_ERR)
        box->SetCurSel(0);
}

} // namespace

// ---- The loaded application's platforms ----------------------------------------------

void CZarvexConfig::AddTargetPlatform(t_TARGET_PLATFORM_CONFIG* pConfig) {
    if (!pConfig)
        return;
    t_TARGET_PLATFORM& entry = Append(m_pTargetPlatforms, m_uTargetPlatforms);
    CopyPlatform(entry, *pConfig);
}

void CZarvexConfig::RemoveTargetPlatforms() {
    FreeList(m_pTargetPlatforms, m_uTargetPlatforms);
}

CString* CZarvexConfig::GetTargetPlatformName(unsigned int uIndex) {
    return uIndex < m_uTargetPlatforms ? m_pTargetPlatforms[uIndex].pPlatformName : nullptr;
}

CString* CZarvexConfig::GetTargetPlatformDcName(unsigned int uIndex) {
    return uIndex < m_uTargetPlatforms ? m_pTargetPlatforms[uIndex].pPlatformDcName : nullptr;
}

void CZarvexConfig::LoadTargetPlatforms(CComboBox* pPlatform) {
    if (!pPlatform)
        return;
    pPlatform->ResetContent();
    for (unsigned int i = 0; i < m_uTargetPlatforms; ++i)
        AddOnce(pPlatform, Text(m_pTargetPlatforms[i].pPlatformName), i);
}

void CZarvexConfig::LoadTargetPlatformDcs(CComboBox* pPlatformDc, CComboBox* pPlatform,
                                          CFontStatic* pVersion, CRichEditCtrl*) {
    if (!pPlatformDc)
        return;
    const CString remembered = SelectedText(pPlatformDc);
    const CString platform = SelectedText(pPlatform);
    pPlatformDc->ResetContent();
    for (unsigned int i = 0; i < m_uTargetPlatforms; ++i) {
        const t_TARGET_PLATFORM& entry = m_pTargetPlatforms[i];
        if (platform.IsEmpty() || Text(entry.pPlatformName) == platform)
            pPlatformDc->SetItemData(pPlatformDc->AddString(Text(entry.pPlatformDcName)), i);
    }
    SelectRemembered(pPlatformDc, remembered);
    const int selected = pPlatformDc->GetCurSel();
    if (pVersion && selected != CB_ERR) {
        const DWORD_PTR position = pPlatformDc->GetItemData(selected);
        if (position < m_uTargetPlatforms)
            pVersion->SetWindowTextW(Text(m_pTargetPlatforms[position].pHwVersionText));
    }
    // The features document of the selected platform is not built here.
}

unsigned int CZarvexConfig::GetTargetPlatformIndex(CComboBox* pPlatformDc, CComboBox* pPlatform) {
    const CString platform = SelectedText(pPlatform);
    const CString daughterCard = SelectedText(pPlatformDc);
    for (unsigned int i = 0; i < m_uTargetPlatforms; ++i) {
        if (Text(m_pTargetPlatforms[i].pPlatformName) == platform &&
            Text(m_pTargetPlatforms[i].pPlatformDcName) == daughterCard)
            return i;
    }
    PrintToDebugFile(L"ERROR : Could not find target platform!");
    return 0;
}

bool CZarvexConfig::SetTargetPlatform(unsigned int uIndex) {
    if (!g_pApplication)
        return false;
    // The application indexes its own table with the position.
    if (uIndex >= g_pApplication->GetNumberOfSupportedPlatforms()) {
        CString position;
        position.Format(L"%u", uIndex);
        PrintToDebugFile(L"ERROR : Target platform %s is not one of the application's\n", position);
        return false;
    }
    return g_pApplication->SetTargetPlatform(uIndex);
}

void CZarvexConfig::OnChangeTarget(unsigned int uIndex) {
    if (g_pApplication && SetTargetPlatform(uIndex))
        g_pApplication->OnTargetPlatformChange();
}

// ---- The global list ---------------------------------------------------------------------

void CZarvexConfig::AddGlobalTargetPlatform(t_TARGET_PLATFORM* pPlatform) {
    if (!pPlatform)
        return;
    for (unsigned int i = 0; i < m_uGlobalTargetPlatforms; ++i) {
        if (m_pGlobalTargetPlatforms[i].uPlatformIndex == pPlatform->uPlatformIndex &&
            m_pGlobalTargetPlatforms[i].uPlatformDcIndex == pPlatform->uPlatformDcIndex)
            return; // the first application to declare the pair gives its texts
    }
    t_TARGET_PLATFORM& entry = Append(m_pGlobalTargetPlatforms, m_uGlobalTargetPlatforms);
    CopyPlatform(entry, *pPlatform);
}

void CZarvexConfig::RemoveGlobalTargetPlatforms() {
    FreeList(m_pGlobalTargetPlatforms, m_uGlobalTargetPlatforms);
}

void CZarvexConfig::LoadGlobalTargetPlatforms(CComboBox* pPlatform) {
    if (!pPlatform)
        return;
    pPlatform->ResetContent();
    for (unsigned int i = 0; i < m_uGlobalTargetPlatforms; ++i)
        AddOnce(pPlatform, Text(m_pGlobalTargetPlatforms[i].pPlatformName),
                m_pGlobalTargetPlatforms[i].uPlatformIndex);
}

void CZarvexConfig::LoadGlobalTargetPlatformDcs(CComboBox* pPlatformDc, CComboBox* pPlatform) {
    if (!pPlatformDc)
        return;
    const CString remembered = SelectedText(pPlatformDc);
    const CString platform = SelectedText(pPlatform);
    pPlatformDc->ResetContent();
    for (unsigned int i = 0; i < m_uGlobalTargetPlatforms; ++i) {
        const t_TARGET_PLATFORM& entry = m_pGlobalTargetPlatforms[i];
        if (platform.IsEmpty() || Text(entry.pPlatformName) == platform)
            AddOnce(pPlatformDc, Text(entry.pPlatformDcName), entry.uPlatformDcIndex);
    }
    SelectRemembered(pPlatformDc, remembered);
}

void CZarvexConfig::OnChangeGlobalTarget(unsigned int uGlobalIndex) {
    if (!g_pApplication)
        return;
    const CString name = uGlobalIndex < m_uGlobalTargetPlatforms
                             ? Text(m_pGlobalTargetPlatforms[uGlobalIndex].pPlatformName)
                             : CString();
    for (unsigned int i = 0; i < m_uTargetPlatforms && uGlobalIndex < m_uGlobalTargetPlatforms;
         ++i) {
        if (Text(m_pTargetPlatforms[i].pPlatformName) == name) {
            OnChangeTarget(i);
            return;
        }
    }
    PrintToDebugFile(
        L"Could not find global target platform within application target list : %u, %s",
        reinterpret_cast<const wchar_t*>(static_cast<std::uintptr_t>(uGlobalIndex)), name);
}

// ---- The host's ticks ------------------------------------------------------------------

void CZarvexConfig::OnTimer(unsigned int uId) {
    if (g_pApplication)
        g_pApplication->OnTimer(uId);
}

void CZarvexConfig::OnPollInterrupt() {
    // The application starts at most one poll, and none while stopped.
    if (g_pApplication)
        g_pApplication->OnPollInterrupt();
}

void CZarvexConfig::GoToSystemTab() {
    if (g_pApplication)
        g_pApplication->GoToSystemTab();
}
