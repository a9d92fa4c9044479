#pragma once
// CProgressControl: the progress bar of the main screen. On every timer tick
// of the application it copies the range and value that the worker thread
// reports in the application's WORKER_THREAD_INFO into its bar; the
// application also steps and clears the bar directly. User-interface thread
// only.
//
// The order of the virtual operations below is a binary interface with
// plug-ins built separately: never reorder, insert or remove one.

#include "platform/Dialog.h"
#include "platform/ProgressCtrl.h"

class CAPI;

class CProgressControl : public CDialog {
public:
    // rpApi is the application's API pointer, held by reference so that the
    // control always sees the API loaded now (or null).
    CProgressControl(CAPI*& rpApi, CWnd* pParent);
    ~CProgressControl() override;

    // Creates dialog 23, moves it to the top-left corner of the
    // configuration's progress-control rectangle and shows it; 0 when it
    // cannot be made.
    int Create();

    // ---- Virtual operations, in slot order after CDialog's -------------------
    // Refreshes the bar from the worker record; the id is not used.
    /* +0 */ virtual void OnTimer(unsigned int nIDEvent);
    // Disables the bar and puts it back to 0.
    /* +1 */ virtual void ForceClear();

    CAPI*& m_ppAPI;
    CProgressCtrl m_ProgressCtrl;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    // Disabled, at position 0: what the bar shows without a worker record.
    void ShowNoProgress();
};
