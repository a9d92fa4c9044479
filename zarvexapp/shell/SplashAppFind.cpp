#include "zarvexapp/shell/SplashAppFind.h"

#include "cmnctrls/VersionInfo.h"
#include "platform/DataExchange.h"
#include "platform/Modules.h"
#include "zarvexapp/config/ZarvexConfig.h"
#include "zarvexapp/contracts/Globals.h"
#include "zarvexapp/resources/resource.h"

#include <climits>
#include <string>

namespace {
constexpr UINT_PTR kStartTimer = 5;
constexpr UINT kStartDelayMs = 100;
} // namespace

BEGIN_MESSAGE_MAP(CSplashAppFind, CDialog)
ON_WM_TIMER()
ON_WM_PAINT()
END_MESSAGE_MAP()

CSplashAppFind::CSplashAppFind(const wchar_t* pReleaseDate, CWnd* pParent)
    : CDialog(IDD_SPLASH_APP_FIND, pParent), m_strReleaseDate(pReleaseDate ? pReleaseDate : L"") {}

CSplashAppFind::~CSplashAppFind() = default;

int CSplashAppFind::Create() {
    return CDialog::Create(IDD_SPLASH_APP_FIND, nullptr) ? 1 : 0;
}

void CSplashAppFind::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SEARCH_TEXT, m_sSearchText);
    DDX_Control(pDX, IDC_PLUGIN_TEXT, m_sPluginText);
    DDX_Control(pDX, IDC_PRODUCT_NAME, m_sProductName);
    DDX_Control(pDX, IDC_RELEASE_TEXT, m_sReleaseText);
}

BOOL CSplashAppFind::OnInitDialog() {
    CDialog::OnInitDialog();

    // The host program's own version block names the product and release.
    std::wstring exe(PATH_MAX, L'\0');
    exe.resize(GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size())));
    CVersionInfo version;
    version.GetFileVersionInfoW(exe.c_str());

    m_sProductName.SetFontStatic(L"Tahoma", 25, 0, 128);
    m_sProductName.SetWindowTextW(version.GetValue(L"ProductName"));
    m_sReleaseText.SetFontStatic(L"Tahoma", 16, 0, 128);
    CString release;
    release.Format(L"Release: %s    Date: %s", version.GetValue(L"FILEVERSION").GetString(),
                   m_strReleaseDate.GetString());
    m_sReleaseText.SetWindowTextW(release);
    m_sSearchText.SetFontStatic(L"Tahoma", 15, 0, 128);
    m_sSearchText.SetWindowTextW(L"");
    m_sPluginText.SetFontStatic(L"Tahoma", 14, 0, 128);
    m_sPluginText.SetWindowTextW(L"");

    m_nTimer = SetTimer(kStartTimer, kStartDelayMs);
    return TRUE;
}

void CSplashAppFind::OnTimer(UINT_PTR nIDEvent) {
    CDialog::OnTimer(nIDEvent);
    // Once, however long the search takes (a tick already queued finds the
    // timer gone).
    if (nIDEvent != m_nTimer || m_nTimer == 0)
        return;
    KillTimer(m_nTimer);
    m_nTimer = 0;
    const unsigned int applications = g_pZarvexConfig ? g_pZarvexConfig->SearchForPlugins() : 0;
    if (applications != 0)
        OnOK();
    else
        OnCancel();
}

void CSplashAppFind::OnPaint() {
    // The window's content is its controls: the bitmap and the four lines.
    CDialog::OnPaint();
}
