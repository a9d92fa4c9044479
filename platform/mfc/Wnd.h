#pragma once
// CWnd: a window of the window layer. Each window is an HWND of the window
// table bound to a Qt widget (platform/WidgetHandles.h); a CWnd object is
// attached to a handle and receives its messages through WindowProc, which
// dispatches them through the class's message map (platform/MessageMap.h).
//
// Any handle has at most one CWnd: the object attached with Attach,
// SubclassWindow or Create ("permanent"), or else one made by FromHandle,
// owned by the window layer and valid until the window is destroyed.
// User-interface thread only.

#include "platform/MessageMap.h"
#include "platform/Point.h"
#include "platform/Rect.h"
#include "platform/String.h"
#include "platform/WidgetHandles.h"
#include "platform/WinTypes.h"

class CDataExchange;
class CDC;
class CFont;
class CMenu;
class QWidget;

class CWnd {
public:
    CWnd();
    // Destroys the window if this object still has one.
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    // z-order places for SetWindowPos (&CWnd::wndTop...).
    static const CWnd wndTop;
    static const CWnd wndBottom;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;

    // ---- Handles --------------------------------------------------------------
    // The window's object: the permanent one, else one owned by the window
    // layer. Null for a null or invalid handle.
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* FromHandlePermanent(HWND hWnd);
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    // Makes this object the window's permanent object (messages still go to
    // the window's own procedure); FALSE if it already has one.
    BOOL Attach(HWND hWndNew);
    HWND Detach();
    // Attaches and routes the window's messages through this object's
    // message map first; DefWindowProc passes them on to the old procedure.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();
    // The widget behind the window.
    QWidget* GetWidget() const;

    // ---- Creation ---------------------------------------------------------------
    // A control class name ("BUTTON", "EDIT", "STATIC", "COMBOBOX",
    // "msctls_progress32", "RichEdit20A", "SysTabControl32") makes that
    // control; any other name a plain window. Not virtual, so that window
    // classes may declare a Create of their own.
    BOOL Create(LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID, void* pContext = nullptr);
    BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle,
                  const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    // Destroys the children, then the window: WM_DESTROY, WM_NCDESTROY,
    // PostNcDestroy. The handle is invalid afterwards.
    virtual BOOL DestroyWindow();

    // ---- Relatives ------------------------------------------------------------
    // The window's menu bar (a wrapper kept until the menu is destroyed).
    CMenu* GetMenu() const;
    BOOL SetMenu(CMenu* pMenu);
    CWnd* GetDlgItem(int nID) const;
    void GetDlgItem(int nID, HWND* phWnd) const;
    int GetDlgCtrlID() const;
    int SetDlgCtrlID(int nID);
    CWnd* GetParent() const;
    CWnd* GetTopLevelParent() const;
    BOOL IsChild(const CWnd* pWnd) const;
    static CWnd* GetFocus();
    // Returns the window that had the focus.
    CWnd* SetFocus();

    // ---- State ------------------------------------------------------------------
    BOOL ShowWindow(int nCmdShow);
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    // nFlags (SWP_*) are accepted for compatibility; the change shows at once.
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    static BOOL ModifyStyle(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags);
    static BOOL ModifyStyleEx(HWND hWnd, DWORD dwRemove, DWORD dwAdd, UINT nFlags);

    // ---- Text ---------------------------------------------------------------------
    void SetWindowTextW(LPCWSTR lpszString);
    int GetWindowTextW(LPWSTR lpszStringBuf, int nMaxCount) const;
    void GetWindowTextW(CString& rString) const;
    int GetWindowTextLengthW() const;
    void SetDlgItemTextW(int nID, LPCWSTR lpszString);
    int GetDlgItemTextW(int nID, CString& rString) const;
    void CheckDlgButton(int nIDButton, UINT nCheck);
    UINT IsDlgButtonChecked(int nIDButton) const;
    LRESULT SendDlgItemMessageW(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // ---- Geometry -----------------------------------------------------------------
    void GetWindowRect(LPRECT lpRect) const;
    void GetClientRect(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    void ScreenToClient(LPRECT lpRect) const;
    void ClientToScreen(LPPOINT lpPoint) const;
    void ClientToScreen(LPRECT lpRect) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    // Centres a top-level window over its parent's window (or the screen).
    void CenterWindow(CWnd* pAlternateOwner = nullptr);

    // ---- Painting -----------------------------------------------------------------
    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void UpdateWindow();
    BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, void* prgnUpdate = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);

    // ---- Fonts --------------------------------------------------------------------
    // WM_SETFONT with the font's handle; GetFont returns the object last set.
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    CFont* GetFont() const;

    // ---- Messages and timers ------------------------------------------------------
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr);
    BOOL KillTimer(UINT_PTR nIDEvent);
    LRESULT SendMessageW(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessageW(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // The message being handled, given to DefWindowProc.
    LRESULT Default();
    // Runs DoDataExchange; FALSE when an exchange failed (nothing is thrown).
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // ---- Overridables -----------------------------------------------------------
    // Offered each input message (keys, mouse buttons) before it is
    // dispatched, from the target window up to its top-level window; TRUE
    // takes the message.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual void DoDataExchange(CDataExchange* pDX);
    // After WM_NCDESTROY, when the object no longer has a window.
    virtual void PostNcDestroy();
    virtual void PreSubclassWindow();
    // A notification the parent reflected back (ON_CONTROL_REFLECT...).
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // ---- Standard handlers (the message's default processing) ---------------
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    // The control's reflected colours, else the default answer.
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg void OnDestroy();
    afx_msg void OnNcDestroy();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnClose();

protected:
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

    // Makes the window: a handle whose procedure routes to this object,
    // bound to the widget (which the window then owns).
    BOOL CreateForWidget(QWidget* widget, std::wstring_view className, DWORD style, DWORD exStyle);

    // The procedure the window had before SubclassWindow.
    WNDPROC m_pfnSuper = nullptr;

private:
    friend struct CWndAccess;
    explicit CWnd(HWND special) : m_hWnd(special) {}
    CFont* m_pFont = nullptr;
};

// The application's main window: the parent of dialogs created without one.
CWnd* AfxGetMainWnd();

namespace zx {
// Set by the host once its main window exists (null when it goes).
void SetMainWnd(CWnd* pWnd);
// The procedure of windows made by CWnd: routes to the attached object.
LRESULT AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Offers an input message to PreTranslateMessage from its window up to the
// top-level window; true when one took it.
bool WalkPreTranslateTree(MSG* pMsg);
} // namespace zx
