#include "zarvexapp/shell/ProgressControl.h"

#include "platform/DataExchange.h"
#include "platform/Interlocked.h"
#include "zarvexapp/command/API.h"
#include "zarvexapp/config/ZarvexConfig.h"
#include "zarvexapp/resources/resource.h"
#include "zarvexapp/shell/ShellPlacement.h"

CProgressControl::CProgressControl(CAPI*& rpApi, CWnd* pParent)
    : CDialog(IDD_PROGRESS_CONTROL, pParent), m_ppAPI(rpApi) {}

CProgressControl::~CProgressControl() = default;

int CProgressControl::Create() {
    if (!zx::CreateShellWindow(*this, IDD_PROGRESS_CONTROL, &CZarvexConfig::GetProgressCtrlRect))
        return 0;
    ShowWindow(SW_SHOW);
    return 1;
}

void CProgressControl::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS, m_ProgressCtrl);
}

void CProgressControl::OnTimer(unsigned int) {
    if (!m_ProgressCtrl.GetSafeHwnd())
        return;
    WORKER_THREAD_INFO* info = m_ppAPI ? m_ppAPI->m_pWorkerInfo : nullptr;
    if (!info) {
        ShowNoProgress();
        return;
    }
    // The worker stores the range, then raises the flag. Taking the flag
    // first and reading the range after it, a range set in between is never
    // lost behind an older one.
    if (InterlockedExchange(&info->lProgressRangeChanged, 0) != 0) {
        const auto range = static_cast<ULONG>(zx::AtomicField(&info->lProgressRange).load());
        if (range == 0)
            m_ProgressCtrl.EnableWindow(FALSE);
        else if (range != 0xFFFFFFFFu)
            m_ProgressCtrl.SendMessageW(PBM_SETRANGE, 0,
                                        static_cast<LPARAM>((range & 0xFFFFu) << 16));
    }
    const LONG position = zx::AtomicField(&info->lProgressValue).load();
    m_ProgressCtrl.SendMessageW(PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CProgressControl::ForceClear() {
    ShowNoProgress();
}

void CProgressControl::ShowNoProgress() {
    if (!m_ProgressCtrl.GetSafeHwnd())
        return;
    m_ProgressCtrl.EnableWindow(FALSE);
    m_ProgressCtrl.SendMessageW(PBM_SETPOS, 0, 0);
}
