#pragma once
// CDialog: a window built from a dialog template (DLGTEMPLATEEX or
// DLGTEMPLATE) of a module's resources. Each control of the template becomes
// a child window with its control class's behaviour, placed at its
// dialog-unit rectangle converted with the dialog font's base units.
//
// Create makes a modeless dialog, DoModal runs one in a nested event loop
// while the other top-level windows are disabled. A dialog without a parent
// gets the application's main window (AfxGetMainWnd) as its parent. A
// template with WS_CHILD becomes a child of its parent's window; any other
// becomes a top-level window over its parent, with the template's caption.

#include "platform/DialogTemplate.h"
#include "platform/Wnd.h"

#include <optional>
#include <string>

class QEventLoop;

// Dialog navigation keys (Escape = Cancel, Enter = the default button) for
// a dialog and the controls in it; TRUE when the message was one of them.
BOOL IsDialogMessageW(HWND hDlg, MSG* lpMsg);

class CDialog : public CWnd {
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCWSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Modeless, from the template in the current resource module
    // (AfxGetResourceHandle), else the module current when the object was
    // constructed, else the executable. Shown when the template says so.
    // Not virtual: derived windows declare their own Create (int Create()).
    BOOL Create(LPCWSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    // Modeless, from a template already read.
    BOOL CreateIndirect(const zx::DialogTemplate& dialogTemplate, CWnd* pParentWnd = nullptr);
    // IDOK, IDCANCEL or what EndDialog was given; -1 when the dialog could
    // not be created.
    virtual INT_PTR DoModal();
    // Ends a modal dialog with that result; hides a modeless one.
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void GotoDlgCtrl(CWnd* pWndCtrl);
    void SetDefID(UINT nID);
    DWORD GetDefID() const;
    // Dialog units to pixels with this dialog's font.
    void MapDialogRect(LPRECT lpRect) const;
    // Fills the list and combo boxes from the DLGINIT resource of that name,
    // looked up where the template was found (the resource chain for
    // templates given in memory). Done for a template's own id before
    // WM_INITDIALOG. TRUE when there is none or every item went in; damaged
    // data adds nothing and is logged.
    BOOL ExecuteDlgInit(LPCWSTR lpszResourceName);

    LPCWSTR m_lpszTemplateName = nullptr;
    UINT m_nIDHelp = 0;
    CWnd* m_pParentWnd = nullptr;

protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The template this dialog is made from, read from the modules in the
    // order Create describes.
    std::optional<zx::DialogTemplate> LoadDialogTemplate() const;
    // Builds the window from a template: the dialog, its controls, then
    // WM_INITDIALOG. The window is shown when visible is set.
    BOOL CreateFromTemplate(const zx::DialogTemplate& dialogTemplate, CWnd* pParentWnd,
                            bool visible);
    void SetTemplateName(LPCWSTR lpszTemplateName);
    // Loads the template's menu where the template was found and gives it to
    // the window.
    void SetTemplateMenu(const zx::SzOrOrd& name);

    HINSTANCE m_hTemplateModule = nullptr; // current resource module at construction
    // Where the template of the window being made was found; null for one
    // given in memory.
    mutable HINSTANCE m_hTemplateSource = nullptr;

    DECLARE_MESSAGE_MAP()

private:
    std::wstring m_strTemplateName; // a template named by a string
    int m_nModalResult = -1;
    bool m_bInModal = false;
    QEventLoop* m_pModalLoop = nullptr;
    UINT m_nDefID = 0;
    int m_baseUnitX = 6;
    int m_baseUnitY = 13;
};
