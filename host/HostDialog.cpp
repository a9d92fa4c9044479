#include "HostDialog.h"

#include "HostSmallLogo.h"

#include "resource.h"

#include "platform/Messages.h"
#include "platform/Modules.h"
#include "platform/WideText.h"
#include "zarvexapp/application/ZarvexAppBase.h"
#include "zarvexapp/command/ApiCommandMessage.h"
#include "zarvexapp/command/TargetPlatform.h"
#include "zarvexapp/config/ZarvexConfig.h"
#include "zarvexapp/contracts/Globals.h"
#include "zarvexapp/contracts/Messages.h"
#include "zarvexapp/resources/resource.h"
#include "zarvexapp/shell/ApplicationSelect.h"
#include "zarvexapp/shell/PrintWindowBase.h"
#include "zarvexapp/shell/ProgressControl.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>

#include <cstdio>
#include <memory>

namespace {

// One timer drives the application's ticks and its interrupt polls. The
// simulated data source of the demonstration raises an interrupt every 50
// ticks, once a second at this period.
constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 20;

void FreePrintRecord(WPARAM wParam) {
    auto* record = reinterpret_cast<UWM_API_PRINT_MESSAGE*>(wParam);
    if (!record)
        return;
    delete record->pText;
    delete record->pText2;
    delete record;
}

void FreeDisplayRecord(WPARAM wParam) {
    auto* record = reinterpret_cast<UWM_API_DISPLAY_MESSAGE*>(wParam);
    if (!record)
        return;
    delete[] record->pdwData;
    delete record->pText;
    delete record;
}

} // namespace

BEGIN_MESSAGE_MAP(CHostDialog, CDialog)
ON_MESSAGE(UWM_API_PRINT, &CHostDialog::OnApiPrint)
ON_MESSAGE(UWM_CHANGE_APPLICATION, &CHostDialog::OnChangeApplication)
ON_MESSAGE(UWM_PLATFORM_CHANGED, &CHostDialog::OnPlatformChanged)
ON_MESSAGE(UWM_API_CALLBACK, &CHostDialog::OnApiCallBack)
ON_MESSAGE(UWM_API_DISPLAY_CALLBACK, &CHostDialog::OnApiDisplayCallBack)
ON_MESSAGE(UWM_API_REQUEST_EXIT, &CHostDialog::OnRequestExit)
ON_WM_TIMER()
ON_BN_CLICKED(IDC_CONFIGURE, &CHostDialog::OnConfigure)
END_MESSAGE_MAP()

CHostDialog::CHostDialog() : CDialog(IDD_ZARVEXHOST_DIALOG, nullptr) {}

CHostDialog::~CHostDialog() = default;

BOOL CHostDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    ShowApplication();
    return TRUE;
}

void CHostDialog::OnOK() {}

void CHostDialog::OnCancel() {
    EndHost();
}

void CHostDialog::EndHost() {
    m_bExitRequested = true;
    // Every event loop of this thread ends: the main one, and the one that
    // runs the host without a display.
    QCoreApplication::exit(0);
}

// ---- Loading -------------------------------------------------------------------------

bool CHostDialog::LoadChosenApplication(const CString& name) {
    if (!g_pZarvexConfig)
        return false;
    UnloadApplication();
    // No name: the first application the search found.
    if (!g_pZarvexConfig->LoadApplication(name.IsEmpty() ? nullptr : name.GetString())) {
        Report(L"The application " + (name.IsEmpty() ? CString(L"found first") : name) +
               L" could not be loaded");
        return false;
    }
    m_strProblem.Empty();
    CreateShellWindows();
    CWnd* configure = GetDlgItem(IDC_CONFIGURE);
    g_pApplication->InitApplication(this, configure);
    if (configure) {
        configure->SetWindowTextW(g_pApplication->GetConfigText());
        configure->EnableWindow(g_pApplication->GenConfigButtonEnable());
    }
    ShowApplication();
    m_nTimer = SetTimer(kTickTimer, kTickMs);
    return true;
}

void CHostDialog::CreateShellWindows() {
    CZarvexAppBase* app = g_pApplication;
    // Each window goes to the application as soon as it exists: the
    // application destroys what it was given, so nothing is left over if a
    // later one cannot be made.
    auto logo = std::make_unique<CHostSmallLogo>();
    logo->m_uTemplateId = IDD_SMALL_APP_LOGO;
    if (logo->Create()) {
        logo->ShowLogoOf(GetModuleHandleW(g_pZarvexConfig->GetApplicationShortTitle() + L".cap"));
        app->m_pSmallAppLogo = logo.release();
    } else {
        Report(L"The small logo window could not be created");
    }

    auto print = std::make_unique<CPrintWindowBase>();
    print->m_uTemplateId = IDD_PRINT_WINDOW;
    print->m_uRichEditId = IDC_PRINT_RICHEDIT;
    if (print->Create())
        app->m_pPrintWindow = print.release();
    else
        Report(L"The print window could not be created");

    auto progress = std::make_unique<CProgressControl>(app->m_pAPI, this);
    if (progress->Create())
        app->m_pProgressControl = progress.release();
    else
        Report(L"The progress control could not be created");
    // The main application area comes with the pages; until then the
    // placeholder shows the application's title.
}

bool CHostDialog::SelectApplication() {
    if (!g_pZarvexConfig)
        return false;
    if (g_pZarvexConfig->GetNumberOfAvailableApps() == 0) {
        Report(L"No applications were found");
        return false;
    }
    const std::unique_ptr<CApplicationSelect> select(g_pZarvexConfig->ChangeApplication());
    if (select->GetDialogCancelled()) {
        Report(L"No application was chosen: the select dialog was cancelled");
        return false;
    }
    const CString name = select->GetSelectedShortAppName();
    // Nothing chosen, or the application already loaded: nothing changes.
    if (name.IsEmpty())
        return false;
    return LoadChosenApplication(name);
}

void CHostDialog::UnloadApplication() {
    if (m_nTimer) {
        KillTimer(m_nTimer);
        m_nTimer = 0;
    }
    if (g_pZarvexConfig && !g_pZarvexConfig->UnloadApplication())
        Report(L"The application could not be unloaded");
    DrainQueuedRecords();
    ShowApplication();
}

void CHostDialog::DrainQueuedRecords() {
    if (!m_hWnd)
        return;
    MSG msg{};
    for (UINT message : {UWM_API_PRINT, UWM_API_CALLBACK, UWM_API_DISPLAY_CALLBACK})
        while (PeekMessageW(&msg, m_hWnd, message, message, PM_REMOVE))
            SendMessageW(message, msg.wParam, msg.lParam);
    if (PeekMessageW(&msg, m_hWnd, UWM_API_REQUEST_EXIT, UWM_API_REQUEST_EXIT, PM_REMOVE))
        EndHost();
}

void CHostDialog::Report(const CString& problem) {
    m_strProblem = problem;
    if (g_pZarvexConfig)
        g_pZarvexConfig->PrintToDebugFile(L"### zarvex-host: %s\n", problem);
    std::fprintf(stderr, "zarvex-host: %s\n", zx::WideToUtf8(problem.GetString()).c_str());
    ShowApplication();
}

void CHostDialog::ShowApplication() {
    if (!m_hWnd)
        return;
    CString status;
    status.LoadString(IDS_HOST_TITLE);
    if (g_pApplication) {
        status += L"\n\nApplication:\n" + g_pApplication->GetApplicationTitle(false) +
                  L"\nVersion " + g_pApplication->GetApplicationVersion();
        if (g_pTargetPlatform)
            status += L"\n\nTarget platform:\n" + g_pTargetPlatform->GetFullDescription();
    }
    if (!m_strProblem.IsEmpty())
        status += L"\n\n" + m_strProblem;
    SetDlgItemTextW(IDC_STATUS_PLACE, status);

    CString area;
    if (g_pApplication) {
        CString format;
        format.LoadString(IDS_PAGES_TO_COME);
        area.Format(format, g_pApplication->GetApplicationTitle(false).GetString());
    } else {
        area.LoadString(IDS_NO_APPLICATION);
    }
    SetDlgItemTextW(IDC_MAIN_APP_AREA, area);

    // The button belongs to the application while one is loaded; without
    // one it offers the choice of another.
    CWnd* configure = GetDlgItem(IDC_CONFIGURE);
    if (configure && !g_pApplication) {
        CString select;
        select.LoadString(IDS_SELECT_APPLICATION);
        configure->SetWindowTextW(select);
        configure->EnableWindow(g_pZarvexConfig && g_pZarvexConfig->IsDiscoveryComplete() &&
                                g_pZarvexConfig->GetNumberOfAvailableApps() > 0);
    }
}

// ---- The run ------------------------------------------------------------------------------

void CHostDialog::PressConfigure() {
    if (g_pApplication)
        g_pApplication->StartApplication();
    ShowApplication();
}

void CHostDialog::OnConfigure() {
    if (g_pApplication)
        PressConfigure();
    else
        SelectApplication();
}

void CHostDialog::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != kTickTimer || !g_pZarvexConfig) {
        CDialog::OnTimer(nIDEvent);
        return;
    }
    g_pZarvexConfig->OnTimer(static_cast<unsigned int>(nIDEvent));
    g_pZarvexConfig->OnPollInterrupt();
}

// ---- Messages to the host window ---------------------------------------------------------
// Records that arrive when no application is loaded (queued before it was
// unloaded) are freed here: their handlers are the only owners they have.

LRESULT CHostDialog::OnApiPrint(WPARAM wParam, LPARAM lParam) {
    if (g_pApplication)
        return g_pApplication->OnPrint(wParam, lParam);
    FreePrintRecord(wParam);
    return 0;
}

LRESULT CHostDialog::OnApiCallBack(WPARAM wParam, LPARAM lParam) {
    if (g_pApplication)
        return g_pApplication->OnApiCallBack(wParam, lParam);
    delete reinterpret_cast<UWM_API_COMMAND_MESSAGE*>(wParam);
    return 0;
}

LRESULT CHostDialog::OnApiDisplayCallBack(WPARAM wParam, LPARAM lParam) {
    if (g_pApplication)
        return g_pApplication->OnApiDisplayCallBack(wParam, lParam);
    FreeDisplayRecord(wParam);
    return 0;
}

LRESULT CHostDialog::OnChangeApplication(WPARAM, LPARAM) {
    SelectApplication();
    return 0;
}

LRESULT CHostDialog::OnPlatformChanged(WPARAM, LPARAM) {
    ShowApplication();
    return 0;
}

LRESULT CHostDialog::OnRequestExit(WPARAM, LPARAM) {
    if (g_pZarvexConfig)
        g_pZarvexConfig->PrintToDebugFile(
            L"zarvex-host: the communications asked the host to end\n");
    EndHost();
    return 0;
}

// ---- What the run left on screen ------------------------------------------------------------

bool CHostDialog::WriteTranscript(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    CZarvexAppBase* app = g_pApplication;
    if (app && app->m_pProgressControl) {
        const CProgressCtrl& bar = app->m_pProgressControl->m_ProgressCtrl;
        int lower = 0;
        int upper = 0;
        bar.GetRange(lower, upper);
        file.write(
            QStringLiteral("progress %1 %2 %3 %4\n")
                .arg(lower)
                .arg(upper)
                .arg(bar.GetPos())
                .arg(bar.IsWindowEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled"))
                .toUtf8());
    }
    if (app && app->m_pPrintWindow) {
        CRichEditCtrl& log = app->m_pPrintWindow->m_RichEdit;
        // Reading a colour selects a character; the user's selection comes back.
        long selStart = 0;
        long selEnd = 0;
        log.GetSel(selStart, selEnd);
        const int lines = log.GetLineCount();
        for (int i = 0; i < lines; ++i) {
            const int start = log.LineIndex(i);
            const int length = log.LineLength(start);
            if (length == 0)
                continue; // the empty line after the last line break
            CString text;
            log.GetTextRange(start, start + length, text);
            // The colour of a line is the colour of its first character.
            log.SetSel(start, start + 1);
            CHARFORMATW format{};
            format.cbSize = sizeof(format);
            log.GetSelectionCharFormat(format);
            const QString colour =
                QStringLiteral("%1").arg(format.crTextColor & 0xFFFFFFu, 6, 16, QLatin1Char('0'));
            file.write((QLatin1Char('#') + colour.toUpper() + QLatin1Char(' ') + text.ToQString() +
                        QLatin1Char('\n'))
                           .toUtf8());
        }
        log.SetSel(selStart, selEnd);
    }
    return file.error() == QFileDevice::NoError;
}
