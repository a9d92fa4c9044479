#pragma once
// CDataExchange and the DDX_ routines that DoDataExchange calls: they move
// values between a dialog's members and its controls, in the direction
// UpdateData asks for. A failed exchange ends the whole UpdateData, which
// then returns FALSE.

#include "platform/String.h"
#include "platform/WinTypes.h"

class CWnd;

namespace zx {
// Thrown by CDataExchange::Fail and caught by CWnd::UpdateData.
struct DataExchangeFailure {};
} // namespace zx

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate; // TRUE: controls to members
    CWnd* m_pDlgWnd;
    HWND m_idLastControl = nullptr;

    // The control with that id; a missing control fails the exchange.
    HWND PrepareCtrl(int nIDC);
    [[noreturn]] void Fail();
};

// Gives the control object the dialog's control with that id (once).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// The selected index of a combo box (-1 for none).
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
// The check state of a button: 0, 1, or 2 for indeterminate.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
