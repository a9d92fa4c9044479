// CZarvexAppBase: the page registries (timer, software reset, interrupt) and
// the fan-out of the host's tick and of software-reset notices.
//
// Each registry is one array of exactly as many entries as it holds,
// reallocated on every change, in registration order. The notification loops
// re-read count and array after every call, so a page may de-register itself
// or others while it is being called.

#include "zarvexapp/application/ZarvexAppBase.h"

#include "zarvexapp/command/API.h"
#include "zarvexapp/pages/PageBase.h"
#include "zarvexapp/shell/PrintWindowBase.h"
#include "zarvexapp/shell/ProgressControl.h"
#include "zarvexapp/shell/SmallAppLogoBase.h"

#include <algorithm>
#include <vector>

namespace {

CPageBase* PageOf(CPageBase* entry) {
    return entry;
}
CPageBase* PageOf(const t_INTERRUPT_PAGE& entry) {
    return entry.pPage;
}

// The new array exists before anything changes, so a failed allocation
// leaves the registry as it was.
template <class Entry> void Append(unsigned int& count, Entry*& array, const Entry& entry) {
    auto* grown = new Entry[count + 1];
    std::copy_n(array, count, grown);
    grown[count] = entry;
    delete[] array;
    array = grown;
    ++count;
}

// Removes the first entry of page; false when there is none.
template <class Entry> bool RemoveFirst(unsigned int& count, Entry*& array, CPageBase* page) {
    if (count == 0)
        return false;
    const auto found = std::find_if(array, array + count,
                                    [page](const Entry& entry) { return PageOf(entry) == page; });
    if (found == array + count)
        return false;
    Entry* shrunk = nullptr;
    if (count > 1) {
        shrunk = new Entry[count - 1];
        std::copy(found + 1, array + count, std::copy(array, found, shrunk));
    }
    delete[] array;
    array = shrunk;
    --count;
    return true;
}

} // namespace

// One line per change: the page's name and the registry's new total.
#define ZX_LOG_REGISTRY(format, page, count)                                                       \
    do {                                                                                           \
        CString line;                                                                              \
        line.Format(format, (page)->GetName(), count);                                             \
        PrintToDebugFile(L"%s", line);                                                             \
    } while (false)

void CZarvexAppBase::RegisterForTimer(CPageBase* pPage) {
    if (!pPage)
        return;
    Append(m_uTimerPages, m_ppTimerPages, pPage);
    ZX_LOG_REGISTRY(L"Registering for timer(%s) - Total timer-pages = %u\n", pPage, m_uTimerPages);
}

void CZarvexAppBase::DeRegisterTimer(CPageBase* pPage) {
    if (RemoveFirst(m_uTimerPages, m_ppTimerPages, pPage))
        ZX_LOG_REGISTRY(L"DeRegistering for timer(%s) - Total timer-pages = %u\n", pPage,
                        m_uTimerPages);
}

void CZarvexAppBase::RegisterForSoftwareReset(CPageBase* pPage) {
    if (!pPage)
        return;
    Append(m_uSoftwareResetPages, m_ppSoftwareResetPages, pPage);
    ZX_LOG_REGISTRY(L"Registering for Software-Reset(%s) - Total SoftwareReset-pages = %u\n", pPage,
                    m_uSoftwareResetPages);
}

void CZarvexAppBase::DeRegisterSoftwareReset(CPageBase* pPage) {
    if (RemoveFirst(m_uSoftwareResetPages, m_ppSoftwareResetPages, pPage))
        ZX_LOG_REGISTRY(L"DeRegistering for SoftwareReset(%s) - Total SoftwareReset-pages = %u\n",
                        pPage, m_uSoftwareResetPages);
}

int CZarvexAppBase::RegisterForInterrupt(CPageBase* pPage, LONG lParentInterrupt) {
    if (!pPage)
        return -1;
    Append(m_uInterruptPages, m_pInterruptPages, t_INTERRUPT_PAGE{lParentInterrupt, pPage});
    ZX_LOG_REGISTRY(L"Registering for interrupt(%s) - Total interrupt-pages = %u\n", pPage,
                    m_uInterruptPages);
    return static_cast<int>(m_uInterruptPages - 1);
}

void CZarvexAppBase::DeRegisterInterrupt(CPageBase* pPage) {
    if (RemoveFirst(m_uInterruptPages, m_pInterruptPages, pPage))
        ZX_LOG_REGISTRY(L"DeRegistering for interrupt(%s) - Total interrupt-pages = %u\n", pPage,
                        m_uInterruptPages);
}

#undef ZX_LOG_REGISTRY

void CZarvexAppBase::DeRegisterTimerPages() {
    if (m_uTimerPages == 0)
        return;
    const std::vector<CPageBase*> pages(m_ppTimerPages, m_ppTimerPages + m_uTimerPages);
    for (CPageBase* page : pages)
        DeRegisterTimer(page);
}

void CZarvexAppBase::DeRegisterSoftwareResetPages() {
    if (m_uSoftwareResetPages == 0)
        return;
    const std::vector<CPageBase*> pages(m_ppSoftwareResetPages,
                                        m_ppSoftwareResetPages + m_uSoftwareResetPages);
    for (CPageBase* page : pages)
        DeRegisterSoftwareReset(page);
}

void CZarvexAppBase::DeRegisterInterruptPages() {
    if (m_uInterruptPages == 0)
        return;
    const std::vector<t_INTERRUPT_PAGE> entries(m_pInterruptPages,
                                                m_pInterruptPages + m_uInterruptPages);
    for (const t_INTERRUPT_PAGE& entry : entries)
        DeRegisterInterrupt(entry.pPage);
}

void CZarvexAppBase::DeRegisterPage(CPageBase* pPage) {
    DeRegisterInterrupt(pPage);
    DeRegisterSoftwareReset(pPage);
    DeRegisterTimer(pPage);
}

void CZarvexAppBase::DeRegisterPages() {
    DeRegisterInterruptPages();
    DeRegisterSoftwareResetPages();
    DeRegisterTimerPages();
}

void CZarvexAppBase::OnTimer(unsigned int nIDEvent) {
    if (m_pProgressControl)
        m_pProgressControl->OnTimer(nIDEvent);
    if (m_pAPI)
        m_pAPI->OnTimer(nIDEvent);
    if (m_pSmallAppLogo)
        m_pSmallAppLogo->OnTimer(nIDEvent);
    if (m_pPrintWindow)
        m_pPrintWindow->OnTimer(nIDEvent);

    if (s_pOpening == this)
        return; // no page may make a request of a worker that cannot answer yet
    if (!m_bTimerPagesReady) {
        // Timer dispatch starts only once no timer page holds it back; the
        // tick that opens the gate calls no page.
        bool ready = true;
        for (unsigned int i = 0; i < m_uTimerPages && ready; ++i)
            ready = m_ppTimerPages[i]->CanTheTimerBeEnabled();
        m_bTimerPagesReady = ready;
        return;
    }
    for (unsigned int i = 0; i < m_uTimerPages; ++i)
        m_ppTimerPages[i]->OnTimer(nIDEvent);
}

void CZarvexAppBase::SoftwareResetNotify(bool bReset) {
    if (!m_bStarted)
        return;
    for (unsigned int i = 0; i < m_uSoftwareResetPages; ++i)
        m_ppSoftwareResetPages[i]->OnSoftwareReset(bReset);
}
