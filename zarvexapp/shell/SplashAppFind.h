#pragma once
// CSplashAppFind: the window shown while the configuration searches for
// plug-ins. It names the host product and its release, shows which kind of
// plug-in is being searched for and which was just found, and it drives the
// search itself: the search runs on its first timer tick, once the splash is
// on screen, and blocks the message loop while it runs (the configuration
// repaints the two lines itself). The configuration creates and destroys it.

#include "cmnctrls/FontStatic.h"
#include "platform/Dialog.h"
#include "platform/String.h"

class CSplashAppFind : public CDialog {
public:
    CSplashAppFind(const wchar_t* pReleaseDate, CWnd* pParent);
    ~CSplashAppFind() override;

    // Creates the window modeless from its template, without a parent
    // window; 0 when it cannot be made.
    int Create();

    CFontStatic m_sSearchText; // what is being searched for
    UINT_PTR m_nTimer = 0;     // the start timer
    CString m_strReleaseDate;
    CFontStatic m_sPluginText; // the plug-in just found
    CFontStatic m_sProductName;
    CFontStatic m_sReleaseText;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnPaint();

    DECLARE_MESSAGE_MAP()
};
