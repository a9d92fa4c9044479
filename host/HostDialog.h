#pragma once
// CHostDialog: the host program's main dialog. Its placeholder controls mark
// where the loaded application's windows go. It gives each application its
// shell windows, routes the messages that the library and the plug-ins post
// to the host window to that application, drives the application's ticks
// and interrupt polls from its timer and toggles the run from its CONFIGURE
// button. User-interface thread only.

#include "platform/Dialog.h"
#include "platform/String.h"

class QString;

class CHostDialog : public CDialog {
public:
    CHostDialog();
    ~CHostDialog() override;

    // Loads the application with this short title or file name (empty: the
    // first one the search found), unloading
    // the one loaded before, gives it its shell windows and initialises it.
    // False when it cannot be loaded; Report has said why.
    bool LoadChosenApplication(const CString& name);
    // Lets the user choose with the application select dialog, then loads
    // the choice. False when cancelled, when nothing new was chosen or when
    // the choice does not load.
    bool SelectApplication();
    // Closes the loaded application down and unloads it, then frees the
    // records still queued for this window.
    void UnloadApplication();
    // The CONFIGURE button: starts a stopped application, stops a running one.
    void PressConfigure();
    // Why the host has no application (or lost it): the diagnostic log,
    // standard error and the status place.
    void Report(const CString& problem);
    // The print window's lines, each "#BBGGRR text" with its colour, and the
    // progress bar's range, position and state as "progress LOW HIGH POS
    // enabled|disabled". False when the file cannot be written.
    bool WriteTranscript(const QString& path) const;
    // True once the user closed the window or a plug-in asked the host to end.
    bool ExitRequested() const { return m_bExitRequested; }

protected:
    BOOL OnInitDialog() override;
    // Enter does not end the host; Escape and the close box do.
    void OnOK() override;
    void OnCancel() override;

    afx_msg LRESULT OnApiPrint(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnChangeApplication(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnPlatformChanged(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnApiCallBack(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnApiDisplayCallBack(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnRequestExit(WPARAM wParam, LPARAM lParam);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnConfigure();

    DECLARE_MESSAGE_MAP()

private:
    void CreateShellWindows();
    // The status place and the main area's placeholder, from what is loaded.
    void ShowApplication();
    // Delivers (or frees) the print, call-back and display records still
    // queued for this window; an exit request queued meanwhile still ends
    // the host.
    void DrainQueuedRecords();
    void EndHost();

    UINT_PTR m_nTimer = 0;
    bool m_bExitRequested = false;
    CString m_strProblem; // the last thing Report said
};
