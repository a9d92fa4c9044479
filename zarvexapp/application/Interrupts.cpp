// CZarvexAppBase: delivery of returned requests (message 1029), printing of
// the worker's text records (1025), and the interrupt machinery built on
// call-backs to the application:
//
//   poll -> status word -> for each pending, enabled parent interrupt: mask
//   it, read its vector -> vector arrives -> its pages service it -> serviced
//   bits written back -> parent interrupts re-enabled through the API.
//
// Records come back as window messages of the user-interface thread, so the
// queues need no lock, and a node may be linked before its record is known.

#include "zarvexapp/application/ZarvexAppBase.h"

#include "platform/WideText.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/command/CallbackTargets.h"
#include "zarvexapp/contracts/Globals.h"
#include "zarvexapp/pages/PageBase.h"

#include <algorithm>
#include <exception>
#include <memory>

namespace {

// Appends a node for a request to a queue (an empty queue's pointers may be
// stale: count 0 is what makes it empty) and returns the node.
t_PENDING_REQUEST* Enqueue(t_PENDING_REQUEST*& head, t_PENDING_REQUEST*& tail, DWORD& count) {
    auto* node = new t_PENDING_REQUEST{nullptr, nullptr};
    if (count == 0)
        head = node;
    else
        tail->pNext = node;
    tail = node;
    ++count;
    return node;
}

// The head node goes; its record stays (the dispatcher frees records).
void DequeueHead(t_PENDING_REQUEST*& head, t_PENDING_REQUEST*& tail, DWORD& count) {
    t_PENDING_REQUEST* node = head;
    head = node->pNext;
    if (!head)
        tail = nullptr;
    delete node;
    --count;
}

void FreeQueue(t_PENDING_REQUEST*& head, t_PENDING_REQUEST*& tail, DWORD& count) {
    while (count > 0 && head)
        DequeueHead(head, tail, count);
    head = tail = nullptr;
    count = 0;
}

} // namespace

// ---- Parent-interrupt table ------------------------------------------------------

ULONG CZarvexAppBase::AddParentInterrupt(ULONG ulMask, ULONG ulVectorAddress) {
    auto* grown = new t_PARENT_INTERRUPT[m_uParentInterrupts + 1];
    std::copy_n(m_pParentInterrupts, m_uParentInterrupts, grown);
    grown[m_uParentInterrupts] = t_PARENT_INTERRUPT{ulMask, ulVectorAddress, nullptr, nullptr, 0};
    delete[] m_pParentInterrupts;
    m_pParentInterrupts = grown;
    ++m_uParentInterrupts;
    m_dwParentInterruptMask |= ulMask;
    return m_uParentInterrupts - 1;
}

void CZarvexAppBase::RemoveParentInterrupt(ULONG ulIndex) {
    if (ulIndex >= m_uParentInterrupts)
        return;
    t_PARENT_INTERRUPT& entry = m_pParentInterrupts[ulIndex];
    FreeQueue(entry.pHead, entry.pTail, entry.uPending);
    t_PARENT_INTERRUPT* shrunk = nullptr;
    if (m_uParentInterrupts > 1) {
        shrunk = new t_PARENT_INTERRUPT[m_uParentInterrupts - 1];
        std::copy(m_pParentInterrupts + ulIndex + 1, m_pParentInterrupts + m_uParentInterrupts,
                  std::copy_n(m_pParentInterrupts, ulIndex, shrunk));
    }
    delete[] m_pParentInterrupts;
    m_pParentInterrupts = shrunk;
    --m_uParentInterrupts;
}

void CZarvexAppBase::RemoveParentInterrupts() {
    while (m_uParentInterrupts > 0)
        RemoveParentInterrupt(m_uParentInterrupts - 1);
}

// ---- Poll and status ----------------------------------------------------------------

void CZarvexAppBase::OnPollInterrupt() {
    // At most one poll in flight; nothing is polled while stopped.
    if (!m_pAPI || !m_bStarted || m_pPollMessage)
        return;
    m_pPollMessage = m_pAPI->PollInterrupt();
}

void CZarvexAppBase::OnInterrupt(ULONG ulStatus) {
    if (ulStatus == 0)
        return;
    CString detail;
    detail.Format(L"0x%x using mask 0x%x", ulStatus, m_dwParentInterruptMask);
    PrintToDebugFile(L"CZarvexAppBase::OnInterrupt, Parent Interrupt = %s\n", detail);
    for (unsigned int i = 0; i < m_uParentInterrupts; ++i) {
        t_PARENT_INTERRUPT& entry = m_pParentInterrupts[i];
        if ((ulStatus & entry.dwMask & m_dwParentInterruptMask) == 0)
            continue;
        t_PENDING_REQUEST* node = Enqueue(entry.pHead, entry.pTail, entry.uPending);
        m_dwParentInterruptMask &= ~entry.dwMask;
        // Without an API the read never completes and the parent interrupt
        // stays masked until the queues are reset.
        node->pMsg = m_pAPI ? m_pAPI->ReadMemory(this, entry.dwVectorAddress, 0xFFFFFFFFu,
                                                 API_FLAG_CALLBACK, nullptr)
                            : nullptr;
    }
}

// ---- Call-backs -----------------------------------------------------------------------

void CZarvexAppBase::OnApiCallBack(UWM_API_COMMAND_MESSAGE* pMsg) {
    if (!pMsg)
        return;
    bool handled = false;
    if (m_pPollMessage && m_pPollMessage == pMsg) {
        m_pPollMessage = nullptr;
        handled = true;
        OnInterrupt(pMsg->dwData);
    }
    if (m_uMaskRequests > 0 && m_pMaskRequestHead && m_pMaskRequestHead->pMsg == pMsg) {
        DequeueHead(m_pMaskRequestHead, m_pMaskRequestTail, m_uMaskRequests);
        m_dwParentInterruptMask |= pMsg->dwData;
        handled = true;
    }
    DWORD accumulated = 0;
    for (unsigned int i = 0; i < m_uParentInterrupts; ++i) {
        // The count is re-read: a page may change the table while it services.
        t_PARENT_INTERRUPT* entry = &m_pParentInterrupts[i];
        if (entry->uPending == 0 || !entry->pHead || entry->pHead->pMsg != pMsg)
            continue;
        DequeueHead(entry->pHead, entry->pTail, entry->uPending);
        handled = true;
        const DWORD vector = pMsg->dwData;
        const DWORD mask = entry->dwMask;
        const DWORD vectorAddress = entry->dwVectorAddress;
        CString line;
        line.Format(
            L"CZarvexAppBase::OnApiCallBack[0x%x][0x%x], Irq Vector data from 0x%x = 0x%x\n",
            pMsg->dwAddress, mask, vectorAddress, vector);
        PrintToDebugFile(L"%s", line);
        DWORD serviced = 0;
        for (unsigned int p = 0; p < m_uInterruptPages; ++p)
            if (m_pInterruptPages[p].lParentInterrupt == static_cast<LONG>(i))
                serviced |= m_pInterruptPages[p].pPage->OnInterrupt(i, vector);
        if (serviced != 0 && m_pAPI)
            m_pAPI->WriteMemory(this, vectorAddress, serviced, 0xFFFFFFFFu, 0, nullptr);
        accumulated |= mask;
    }
    if (accumulated != 0) {
        t_PENDING_REQUEST* node = Enqueue(m_pMaskRequestHead, m_pMaskRequestTail, m_uMaskRequests);
        node->pMsg = m_pAPI ? m_pAPI->SetInterruptMask(accumulated, 1) : nullptr;
    }
    if (!handled)
        PrintToDebugFile(L"###### UNHANDLED MESSAGE IN %s::OnApiCallBack!", L"CZarvexAppBase");
}

LRESULT CZarvexAppBase::OnApiCallBack(WPARAM wParam, LPARAM) {
    // The record is freed here whatever its target does.
    std::unique_ptr<UWM_API_COMMAND_MESSAGE> record(
        reinterpret_cast<UWM_API_COMMAND_MESSAGE*>(wParam));
    if (!record)
        return 0;
    try {
        switch (record->eCallBackType) {
        case API_CALLBACK_NONE:
            break;
        case API_CALLBACK_PAGE:
            if (auto* page = static_cast<CPageBase*>(zx::PageForCallback(record.get())))
                page->OnApiCallBack(record.get());
            else
                PrintToDebugFile(L"Call-back for a page that no longer exists, request freed\n");
            break;
        case API_CALLBACK_APPLICATION:
            // Only the application alive now: a record of an earlier one has
            // nobody to go to.
            if (g_pApplication && record->pCallBackTarget == g_pApplication)
                g_pApplication->OnApiCallBack(record.get());
            else
                PrintToDebugFile(L"Call-back for an application that no longer exists, "
                                 L"request freed\n");
            break;
        default:
            PrintToDebugFile(L"###### UNHANDLED CALL-BACK-TYPE IN CZarvexAppBase::OnApiCallBack!");
            break;
        }
    } catch (const std::exception& failure) {
        const CString text(zx::NarrowToWide(failure.what()));
        PrintToDebugFile(L"### Handling Exception - %s\n", text);
    } catch (...) {
        PrintToDebugFile(L"### Handling Exception - %s\n", L"unknown exception in a call-back");
    }
    return 0;
}

LRESULT CZarvexAppBase::OnPrint(WPARAM wParam, LPARAM) {
    auto* record = reinterpret_cast<UWM_API_PRINT_MESSAGE*>(wParam);
    if (!record)
        return 0;
    try {
        Print(record->pText ? record->pText->GetString() : L"",
              record->pText2 ? record->pText2->GetString() : nullptr, record->dwColour);
    } catch (...) {
        PrintToDebugFile(L"### Handling Exception - %s\n", L"unknown exception while printing");
    }
    delete record->pText;
    delete record->pText2;
    delete record;
    return 0;
}

// ---- Reset after the call-backs were drained --------------------------------------------

void CZarvexAppBase::ForgetInterruptRequests() {
    // The records these refer to were freed unread: none of them can come
    // back, so the poll would block every later poll and the vector reads
    // would keep their parent interrupts masked for good.
    m_pPollMessage = nullptr;
    FreeQueue(m_pMaskRequestHead, m_pMaskRequestTail, m_uMaskRequests);
    for (unsigned int i = 0; i < m_uParentInterrupts; ++i) {
        t_PARENT_INTERRUPT& entry = m_pParentInterrupts[i];
        FreeQueue(entry.pHead, entry.pTail, entry.uPending);
        m_dwParentInterruptMask |= entry.dwMask;
    }
}
