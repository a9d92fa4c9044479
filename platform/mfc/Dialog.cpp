#include "platform/Dialog.h"

#include "platform/DialogBuilder.h"
#include "platform/DlgInit.h"
#include "platform/FontRegistry.h"
#include "platform/Menu.h"
#include "platform/Messages.h"
#include "platform/MfcLog.h"
#include "platform/Modules.h"
#include "platform/Resources.h"
#include "platform/WideText.h"
#include "platform/rc/zxres.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <span>
#include <vector>

Q_LOGGING_CATEGORY(lcDialogs, "zx.mfc.dialogs")

namespace {

std::optional<zx::DialogTemplate> ReadTemplate(HINSTANCE module, LPCWSTR name) {
    HRSRC res = FindResourceW(module, name, RT_DIALOG);
    if (!res)
        return std::nullopt;
    HGLOBAL data = LoadResource(module, res);
    const DWORD size = SizeofResource(module, res);
    const auto* bytes = static_cast<const BYTE*>(LockResource(data));
    if (!bytes || size == 0)
        return std::nullopt;
    return zx::ParseDialogTemplate(std::span<const BYTE>(bytes, size));
}

QString ResourceName(LPCWSTR name) {
    if (IS_INTRESOURCE(name))
        return QString::number(reinterpret_cast<std::uintptr_t>(name));
    return QString::fromWCharArray(name);
}

// MFC's resource compiler keyword makes type 240; a compiler that does not
// know it stores the type by its name.
std::span<const BYTE> DlgInitBytes(HINSTANCE module, LPCWSTR name) {
    const auto bytes = zx::ResourceBytes(module, name, RT_DLGINIT);
    return bytes.empty() ? zx::ResourceBytes(module, name, L"DLGINIT") : bytes;
}

bool IsPushButton(HWND hwnd) {
    if (zx::WindowClassName(hwnd) != L"Button")
        return false;
    const DWORD type = zx::WindowStyle(hwnd) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// The dialog whose buttons answer navigation keys: the nearest one that is
// not a child dialog inside another dialog.
HWND NavigationDialog(HWND hDlg) {
    HWND top = hDlg;
    while (zx::WindowStyle(top) & WS_CHILD) {
        HWND parent = ::GetParent(top);
        if (!parent || zx::WindowClassName(parent) != L"#32770")
            break;
        top = parent;
    }
    return top;
}

// The first control of a dialog in the Tab order.
QWidget* FirstTabStop(QWidget* dialog) {
    for (QWidget* w : zx::ChildWidgetsInZOrder(dialog)) {
        if (zx::HandleFromWidget(w) && w->isVisibleTo(dialog) && w->isEnabled() &&
            (w->focusPolicy() & Qt::TabFocus))
            return w;
    }
    return nullptr;
}

} // namespace

BOOL IsDialogMessageW(HWND hDlg, MSG* lpMsg) {
    if (!lpMsg || !IsWindow(hDlg) || lpMsg->message != WM_KEYDOWN)
        return FALSE;
    if (lpMsg->hwnd != hDlg && !::IsChild(hDlg, lpMsg->hwnd))
        return FALSE;
    HWND top = NavigationDialog(hDlg);
    if (lpMsg->wParam == VK_ESCAPE) {
        HWND cancel = ::GetDlgItem(top, IDCANCEL);
        if (cancel && !::IsWindowEnabled(cancel))
            return TRUE;
        ::SendMessageW(top, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(cancel));
        return TRUE;
    }
    if (lpMsg->wParam == VK_RETURN) {
        HWND focus = lpMsg->hwnd;
        const std::wstring cls = zx::WindowClassName(focus);
        const DWORD style = zx::WindowStyle(focus);
        if ((cls == L"Edit" || cls.rfind(L"RichEdit", 0) == 0 || cls == L"RICHEDIT50W") &&
            (style & ES_MULTILINE) && (style & ES_WANTRETURN))
            return FALSE;
        int id = IDOK;
        if (focus != top && IsPushButton(focus) && ::IsChild(top, focus)) {
            id = ::GetDlgCtrlID(focus);
        } else {
            const auto def = static_cast<DWORD>(::SendMessageW(top, DM_GETDEFID, 0, 0));
            if (HIWORD(def) == DC_HASDEFID)
                id = LOWORD(def);
        }
        HWND button = ::GetDlgItem(top, id);
        if (button && !::IsWindowEnabled(button))
            return TRUE;
        ::SendMessageW(top, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(button));
        return TRUE;
    }
    return FALSE;
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog() : m_hTemplateModule(AfxGetResourceHandle()) {}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd), m_hTemplateModule(AfxGetResourceHandle()) {
    SetTemplateName(MAKEINTRESOURCEW(nIDTemplate));
}

CDialog::CDialog(LPCWSTR lpszTemplateName, CWnd* pParentWnd)
    : m_pParentWnd(pParentWnd), m_hTemplateModule(AfxGetResourceHandle()) {
    SetTemplateName(lpszTemplateName);
}

CDialog::~CDialog() {
    if (m_pModalLoop)
        m_pModalLoop->exit(-1);
}

void CDialog::SetTemplateName(LPCWSTR lpszTemplateName) {
    if (lpszTemplateName && !IS_INTRESOURCE(lpszTemplateName)) {
        m_strTemplateName = lpszTemplateName;
        m_lpszTemplateName = m_strTemplateName.c_str();
    } else {
        m_strTemplateName.clear();
        m_lpszTemplateName = lpszTemplateName;
        if (lpszTemplateName)
            m_nIDHelp = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(lpszTemplateName));
    }
}

std::optional<zx::DialogTemplate> CDialog::LoadDialogTemplate() const {
    if (!m_lpszTemplateName)
        return std::nullopt;
    const HINSTANCE modules[] = {AfxGetResourceHandle(), m_hTemplateModule, nullptr};
    for (HINSTANCE module : modules) {
        if (auto dlg = ReadTemplate(module, m_lpszTemplateName)) {
            m_hTemplateSource = module ? module : GetModuleHandleW(nullptr);
            return dlg;
        }
    }
    if (IS_INTRESOURCE(m_lpszTemplateName))
        qCWarning(lcDialogs, "Dialog template %u not found or damaged",
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(m_lpszTemplateName)));
    else
        qCWarning(lcDialogs, "Dialog template %s not found or damaged",
                  qUtf8Printable(QString::fromWCharArray(m_lpszTemplateName)));
    return std::nullopt;
}

void CDialog::SetTemplateMenu(const zx::SzOrOrd& name) {
    const LPCWSTR id = name.isOrdinal() ? MAKEINTRESOURCEW(name.ordinal) : name.text.c_str();
    HMENU menu = ::LoadMenuW(m_hTemplateSource, id);
    if (menu && ::SetMenu(m_hWnd, menu))
        return;
    if (menu)
        ::DestroyMenu(menu);
    qCWarning(lcDialogs, "Dialog menu %s not found or damaged: the dialog has no menu bar",
              qUtf8Printable(ResourceName(id)));
}

BOOL CDialog::ExecuteDlgInit(LPCWSTR lpszResourceName) {
    if (!m_hWnd || !lpszResourceName)
        return FALSE;
    std::span<const BYTE> bytes;
    if (m_hTemplateSource) {
        bytes = DlgInitBytes(m_hTemplateSource, lpszResourceName);
    } else {
        for (HINSTANCE module : {AfxGetResourceHandle(), m_hTemplateModule, HINSTANCE{}}) {
            bytes = DlgInitBytes(module, lpszResourceName);
            if (!bytes.empty())
                break;
        }
    }
    if (bytes.empty())
        return TRUE;
    const auto items = zx::ParseDlgInit(bytes);
    if (!items) {
        qCWarning(lcDialogs, "DLGINIT %s is damaged: its list items are left out",
                  qUtf8Printable(ResourceName(lpszResourceName)));
        return FALSE;
    }
    BOOL allIn = TRUE;
    for (const zx::DlgInitItem& item : *items) {
        UINT message = 0;
        switch (item.action) {
        case zx::DlgInitItem::Action::AddListString:
            message = LB_ADDSTRING;
            break;
        case zx::DlgInitItem::Action::AddComboString:
        // Extended combo boxes are combo boxes here: their items are texts.
        case zx::DlgInitItem::Action::InsertComboExItem:
            message = CB_ADDSTRING;
            break;
        case zx::DlgInitItem::Action::Other:
            // Its data would be passed as a pointer the message trusts.
            qCWarning(lcDialogs, "DLGINIT %s: message 0x%04x for control %u is not supported",
                      qUtf8Printable(ResourceName(lpszResourceName)), item.message, item.controlId);
            allIn = FALSE;
            continue;
        }
        const std::wstring text = zx::AnsiToWide(item.text.data(), item.text.size());
        HWND control = ::GetDlgItem(m_hWnd, item.controlId);
        if (!control ||
            ::SendMessageW(control, message, 0, reinterpret_cast<LPARAM>(text.c_str())) < 0) {
            qCWarning(lcDialogs, "DLGINIT %s: control %u took no item \"%s\"",
                      qUtf8Printable(ResourceName(lpszResourceName)), item.controlId,
                      qUtf8Printable(QString::fromStdWString(text)));
            allIn = FALSE;
        }
    }
    return allIn;
}

BOOL CDialog::Create(LPCWSTR lpszTemplateName, CWnd* pParentWnd) {
    if (m_hWnd)
        return FALSE;
    SetTemplateName(lpszTemplateName);
    if (pParentWnd)
        m_pParentWnd = pParentWnd;
    const auto dlg = LoadDialogTemplate();
    if (!dlg)
        return FALSE;
    return CreateFromTemplate(*dlg, m_pParentWnd, (dlg->style & WS_VISIBLE) != 0);
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    return Create(MAKEINTRESOURCEW(nIDTemplate), pParentWnd);
}

BOOL CDialog::CreateIndirect(const zx::DialogTemplate& dialogTemplate, CWnd* pParentWnd) {
    if (m_hWnd)
        return FALSE;
    if (pParentWnd)
        m_pParentWnd = pParentWnd;
    m_hTemplateSource = nullptr;
    return CreateFromTemplate(dialogTemplate, m_pParentWnd,
                              (dialogTemplate.style & WS_VISIBLE) != 0);
}

BOOL CDialog::CreateFromTemplate(const zx::DialogTemplate& dlg, CWnd* pParentWnd, bool visible) {
    if (m_hWnd)
        return FALSE;
    CWnd* parent = pParentWnd;
    if (!parent || !parent->GetSafeHwnd())
        parent = AfxGetMainWnd();
    if (parent == this)
        parent = nullptr;
    QWidget* parentWidget = parent ? parent->GetWidget() : nullptr;

    // A template given in memory takes its pictures from the resource module.
    std::unique_ptr<QWidget> built = zx::DialogBuilder::build(
        dlg, nullptr, m_hTemplateSource ? m_hTemplateSource : AfxGetResourceHandle());
    QWidget* widget = built.get();
    // The builder stacks the controls with the first on top.
    const std::vector<QWidget*> controls = zx::ChildWidgetsInZOrder(widget);
    const QSize units = zx::FontRegistry::baseUnits(zx::DialogBuilder::dialogFont(dlg));
    m_baseUnitX = units.width() > 0 ? units.width() : 6;
    m_baseUnitY = units.height() > 0 ? units.height() : 13;

    const bool child = (dlg.style & WS_CHILD) != 0 && parentWidget;
    if (child) {
        widget->setParent(parentWidget);
        widget->move(zx::DialogBuilder::toPixels(units, dlg.x, dlg.y, 0, 0).topLeft());
    } else {
        Qt::WindowFlags flags = Qt::Dialog;
        if ((dlg.style & WS_CAPTION) != WS_CAPTION)
            flags |= Qt::FramelessWindowHint;
        widget->setParent(parentWidget ? parentWidget->window() : nullptr, flags);
    }
    if (!CreateForWidget(widget, L"#32770", dlg.style & ~WS_VISIBLE, dlg.exStyle))
        return FALSE;
    built.release(); // the window owns it now
    widget->hide();
    if (!dlg.menu.isNone() && !child)
        SetTemplateMenu(dlg.menu);

    // Controls, in template order, which is their z-order from the top.
    for (size_t i = 0; i < controls.size() && i < dlg.items.size(); ++i) {
        const zx::DialogItem& item = dlg.items[i];
        if (!zx::CreateControlHandle(controls[i], item.className(), item.style, item.exStyle,
                                     static_cast<int>(item.id)))
            qCWarning(lcDialogs, "Dialog control %u could not be made",
                      static_cast<unsigned>(item.id));
    }
    for (const zx::DialogItem& item : dlg.items) {
        if (item.kind() == zx::DialogItemClass::Button &&
            (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && m_nDefID == 0)
            m_nDefID = item.id;
    }

    if (m_hTemplateSource && m_lpszTemplateName)
        ExecuteDlgInit(m_lpszTemplateName);

    HWND hwnd = m_hWnd;
    QWidget* first = FirstTabStop(widget);
    const LRESULT focusFirst =
        SendMessageW(WM_INITDIALOG, reinterpret_cast<WPARAM>(zx::HandleFromWidget(first)), 0);
    if (!IsWindow(hwnd))
        return FALSE; // OnInitDialog destroyed it
    if (focusFirst && first)
        first->setFocus(Qt::OtherFocusReason);
    zx::RefreshControlColours(hwnd);

    if (!child) {
        if ((dlg.style & (DS_CENTER | DS_CENTERMOUSE)) || m_bInModal) {
            CenterWindow();
        } else {
            const QRect at = zx::DialogBuilder::toPixels(units, dlg.x, dlg.y, 0, 0);
            const QPoint origin =
                parentWidget ? parentWidget->mapToGlobal(QPoint(0, zx::ClientTop(parentWidget)))
                             : QPoint(0, 0);
            widget->move(origin + at.topLeft());
        }
    }
    if (visible && m_nModalResult == -1)
        ShowWindow(SW_SHOW);
    return TRUE;
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd || m_bInModal)
        return -1;
    const auto dlg = LoadDialogTemplate();
    if (!dlg)
        return -1;
    m_nModalResult = -1;
    m_bInModal = true;

    // Windows disables the other windows while a modal dialog runs.
    std::vector<QPointer<QWidget>> disabled;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->isEnabled()) {
            top->setEnabled(false);
            disabled.emplace_back(top);
        }
    }
    auto enableOthers = [&disabled] {
        for (const QPointer<QWidget>& top : disabled) {
            if (top)
                top->setEnabled(true);
        }
        disabled.clear();
    };

    if (!CreateFromTemplate(*dlg, m_pParentWnd, false)) {
        enableOthers();
        m_bInModal = false;
        return -1;
    }
    if (m_nModalResult == -1 && m_hWnd) {
        QWidget* widget = GetWidget();
        widget->setWindowModality(Qt::ApplicationModal);
        ShowWindow(SW_SHOW);
        widget->activateWindow();
        QEventLoop loop;
        m_pModalLoop = &loop;
        {
            // A quit request ends the dialog with -1 and is left queued for
            // the loop outside, as Windows' dialog loop posts it again.
            zx::ModalLoopScope quitEnds([&loop] { loop.exit(-1); });
            loop.exec(QEventLoop::DialogExec);
        }
        m_pModalLoop = nullptr;
    }
    enableOthers();
    if (m_hWnd) {
        ShowWindow(SW_HIDE);
        DestroyWindow();
    }
    m_bInModal = false;
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult) {
    m_nModalResult = nResult;
    if (m_bInModal) {
        if (m_pModalLoop)
            m_pModalLoop->exit(0);
        return;
    }
    if (m_hWnd)
        ShowWindow(SW_HIDE);
}

BOOL CDialog::OnInitDialog() {
    if (!UpdateData(FALSE))
        return FALSE;
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    if (pMsg && pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST)
        return IsDialogMessageW(m_hWnd, pMsg);
    return FALSE;
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl) {
    if (pWndCtrl)
        pWndCtrl->SetFocus();
}

void CDialog::SetDefID(UINT nID) {
    SendMessageW(DM_SETDEFID, nID, 0);
}

DWORD CDialog::GetDefID() const {
    return static_cast<DWORD>(SendMessageW(DM_GETDEFID, 0, 0));
}

void CDialog::MapDialogRect(LPRECT lpRect) const {
    if (!lpRect)
        return;
    const QRect r =
        zx::DialogBuilder::toPixels(QSize(m_baseUnitX, m_baseUnitY), lpRect->left, lpRect->top,
                                    lpRect->right - lpRect->left, lpRect->bottom - lpRect->top);
    *lpRect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_INITDIALOG) {
        const BOOL result = OnInitDialog();
        if (pResult)
            *pResult = result;
        return TRUE;
    }
    if (message == WM_NCDESTROY && m_pModalLoop)
        m_pModalLoop->exit(0); // destroyed while modal: the loop ends with it
    return CWnd::OnWndMsg(message, wParam, lParam, pResult);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE: {
        // The close box is the Cancel button, as in Windows' dialogs.
        HWND cancel = ::GetDlgItem(m_hWnd, IDCANCEL);
        if (!cancel || ::IsWindowEnabled(cancel))
            PostMessageW(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    case DM_GETDEFID:
        return MAKELONG(m_nDefID ? m_nDefID : IDOK, DC_HASDEFID);
    case DM_SETDEFID:
        m_nDefID = static_cast<UINT>(wParam);
        return TRUE;
    default:
        return CWnd::DefWindowProc(message, wParam, lParam);
    }
}
