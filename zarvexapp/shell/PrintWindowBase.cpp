#include "zarvexapp/shell/PrintWindowBase.h"

#include "platform/DataExchange.h"
#include "platform/Menu.h"
#include "platform/WinFormat.h"
#include "zarvexapp/application/ZarvexAppBase.h"
#include "zarvexapp/config/ZarvexConfig.h"
#include "zarvexapp/contracts/Globals.h"
#include "zarvexapp/resources/resource.h"
#include "zarvexapp/shell/ShellPlacement.h"

#include <cstdint>
#include <cwchar>

namespace zx {
namespace {

// The first line of every cleared log, and the colour of it and the title.
constexpr const wchar_t* kBanner = L"ZarvexApp message log";
constexpr ULONG kBannerColour = 0x008C00; // green

} // namespace
} // namespace zx

CPrintWindowBase::CPrintWindowBase() = default;

CPrintWindowBase::~CPrintWindowBase() = default;

int CPrintWindowBase::Create() {
    if (!zx::CreateShellWindow(*this, m_uTemplateId, &CZarvexConfig::GetPrintWindowRect))
        return 0;
    if (!m_RichEdit.GetSafeHwnd()) {
        // A template without the log control: a window that cannot print.
        if (g_pZarvexConfig) {
            CString ids;
            ids.Format(L"%u has no control %u", m_uTemplateId & 0xFFFFu, m_uRichEditId);
            g_pZarvexConfig->PrintToDebugFile(L"ERROR : Print window template %s\n", ids);
        }
        DestroyWindow();
        return 0;
    }
    Clear();
    ShowWindow(SW_SHOW);
    return 1;
}

void CPrintWindowBase::DoDataExchange(CDataExchange* pDX) {
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, static_cast<int>(m_uRichEditId), m_RichEdit);
}

void CPrintWindowBase::OnTimer(unsigned int) {}

void CPrintWindowBase::Clear() {
    if (!m_RichEdit.GetSafeHwnd())
        return;
    // The log is read-only to the user; it is opened just for the deletion.
    m_RichEdit.SetSel(0, -1);
    m_RichEdit.SetReadOnly(FALSE);
    m_RichEdit.Clear();
    m_RichEdit.SetReadOnly(TRUE);
    m_RichEdit.SetSel(0, 0);

    CHARFORMATW format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_CHARSET;
    format.dwEffects = 0;
    format.yHeight = 200; // twips: 10 points
    format.crTextColor = 0;
    format.bCharSet = 0;
    format.bPitchAndFamily = 0;
    std::wcsncpy(format.szFaceName, L"Tahoma", LF_FACESIZE - 1);
    m_RichEdit.SetDefaultCharFormat(format);

    Print(zx::kBanner, zx::kBannerColour);
    if (g_pApplication)
        Print(L"%s", g_pApplication->GetApplicationTitle(false), zx::kBannerColour);
}

void CPrintWindowBase::Print(const wchar_t* text, ULONG colour) {
    Print(text, nullptr, colour);
}

void CPrintWindowBase::Print(const wchar_t* format, const wchar_t* text2, ULONG colour) {
    if (!m_RichEdit.GetSafeHwnd())
        return;
    // The second text is the format's one argument; a format that asks for
    // more gets nothing for them instead of reading past it.
    CString line;
    if (!format)
        format = L"";
    if (text2) {
        const std::uintptr_t argument = reinterpret_cast<std::uintptr_t>(text2);
        line = zx::FormatArgs(format, &argument, 1).c_str();
    } else {
        line = format;
    }
    line += L"\n";

    CHARFORMATW charFormat{};
    charFormat.cbSize = sizeof(charFormat);
    m_RichEdit.GetDefaultCharFormat(charFormat);
    charFormat.dwMask |= CFM_COLOR;
    charFormat.dwEffects &= ~CFE_AUTOCOLOR;
    charFormat.crTextColor = colour;

    const long end = m_RichEdit.GetWindowTextLengthW();
    m_RichEdit.SetSel(end, end);
    m_RichEdit.SetSelectionCharFormat(charFormat);
    m_RichEdit.ReplaceSel(line, FALSE);
    m_RichEdit.LineScroll(1);
}

BOOL CPrintWindowBase::PreTranslateMessage(MSG* pMsg) {
    const HWND self = m_hWnd;
    const HWND log = self ? ::GetDlgItem(self, static_cast<int>(m_uRichEditId)) : nullptr;
    if (pMsg && pMsg->message == WM_RBUTTONUP && log && ::GetFocus() == log) {
        UINT command = 0;
        CMenu menu;
        if (menu.LoadMenuW(IDR_PRINT_WINDOW_POPUP)) {
            if (CMenu* popup = menu.GetSubMenu(0))
                command = static_cast<UINT>(popup->TrackPopupMenu(TPM_NONOTIFY | TPM_RETURNCMD,
                                                                  pMsg->pt.x, pMsg->pt.y, this));
            menu.DestroyMenu();
        }
        // The menu ran a loop of its own: what it dispatched may have closed
        // this window, and deleted this object with it, meanwhile.
        if (!::IsWindow(self))
            return TRUE;
        OnPopupCommand(command);
    }
    return CPropertyPage::PreTranslateMessage(pMsg);
}

void CPrintWindowBase::OnPopupCommand(UINT command) {
    if (command == ID_PRINTWINDOW_CLEAR) {
        Clear();
    } else if (command == ID_PRINTWINDOW_COPY) {
        long start = 0;
        long end = 0;
        m_RichEdit.GetSel(start, end);
        if (start != end) {
            m_RichEdit.Copy();
            return;
        }
        // Nothing selected: the whole log, leaving caret and view as they were.
        const int firstLine = m_RichEdit.GetFirstVisibleLine();
        m_RichEdit.SetSel(0, -1);
        m_RichEdit.Copy();
        m_RichEdit.SetSel(start, end);
        m_RichEdit.LineScroll(firstLine - m_RichEdit.GetFirstVisibleLine());
    }
}
