#include "zarvexapp/shell/ApplicationSelect.h"

#include "cmnctrls/Registry.h"
#include "platform/DataExchange.h"
#include "zarvexapp/contracts/Globals.h"
#include "zarvexapp/resources/resource.h"

BEGIN_MESSAGE_MAP(CApplicationSelect, CDialog)
ON_CBN_SELCHANGE(IDC_APPLICATION_COMBO, &CApplicationSelect::OnCbnSelchangeApplicationCombo)
ON_CBN_SELCHANGE(IDC_PLATFORM_COMBO, &CApplicationSelect::OnCbnSelchangePlatformCombo)
ON_CBN_SELCHANGE(IDC_PLATFORM_DC_COMBO, &CApplicationSelect::UpdateTargetApps)
ON_BN_CLICKED(IDC_PLATFORM_FILTER_ENABLE, &CApplicationSelect::OnBnClickedPlatformFilterEnable)
ON_BN_CLICKED(IDOK, &CApplicationSelect::OnBnClickedLoad)
ON_BN_CLICKED(IDCANCEL, &CApplicationSelect::OnBnClickedCancel)
END_MESSAGE_MAP()

CApplicationSelect::CApplicationSelect(CWnd* pParent)
    : CDialog(IDD_APPLICATION_SELECT, pParent), m_pRegistry(new CRegistry) {}

CApplicationSelect::~CApplicationSelect() {
    delete m_pRegistry;
}

bool CApplicationSelect::GetDialogCancelled() {
    return m_bDialogCancelled;
}

unsigned int CApplicationSelect::GetGlobalTargetPlatformIdx() {
    return m_uGlobalTargetPlatformIdx;
}

unsigned int CApplicationSelect::GetGlobalTargetPlatformDcIdx() {
    return m_uGlobalTargetPlatformDcIdx;
}

bool CApplicationSelect::GetPlatformFilter() {
    return m_bEnablePlatformFilter == 1;
}

CString CApplicationSelect::GetSelectedShortAppName() {
    if (m_bDialogCancelled || !m_pSelectedApplication || !m_pSelectedApplication->pShortTitle)
        return CString();
    const CString chosen = *m_pSelectedApplication->pShortTitle;
    if (g_pZarvexConfig && chosen == g_pZarvexConfig->GetApplicationShortTitle())
        return CString(); // already loaded
    return chosen;
}

CString CApplicationSelect::GetMyRegistryKey() {
    return m_strMyRegistryKey;
}

void CApplicationSelect::SetMyRegistryKey(const wchar_t* pKey) {
    m_strMyRegistryKey = pKey ? pKey : L"";
    m_pRegistry->SetKey(m_strMyRegistryKey);
}

void CApplicationSelect::ClearPlatformFilterEnable() {
    WriteNewToRegistry();
    LoadFromRegistry();
    m_bEnablePlatformFilter = 0;
    SaveToRegistry();
}

// ---- Persistence ----------------------------------------------------------------------

void CApplicationSelect::LoadFromRegistry() {
    m_pRegistry->OpenReadKey();
    RegistryAccess();
    m_pRegistry->CloseKey();
}

void CApplicationSelect::SaveToRegistry() {
    m_pRegistry->OpenUpdateKey();
    RegistryAccess();
    m_pRegistry->CloseKey();
}

void CApplicationSelect::WriteNewToRegistry() {
    m_pRegistry->OpenWriteNewKey();
    RegistryAccess();
    m_pRegistry->CloseKey();
}

void CApplicationSelect::RegistryAccess() {
    m_pRegistry->RegistryAccess(L"m_bEnablePlatformFilter", m_bEnablePlatformFilter, -1);
    m_pRegistry->RegistryAccess(L"m_cTargetPlatform", &m_cTargetPlatform, nullptr, nullptr, -1);
    m_pRegistry->RegistryAccess(L"m_cTargetPlatformDc", &m_cTargetPlatformDc, nullptr, nullptr, -1);
}

// ---- The dialog ---------------------------------------------------------------------------

void CApplicationSelect::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_APPLICATION_COMBO, m_cApplication);
    DDX_Control(pDX, IDC_PLATFORM_FILTER_TEXT, m_sPlatformFilterText);
    DDX_Control(pDX, IDC_DAUGHTER_CARD_TEXT, m_sDaughterCardText);
    DDX_Control(pDX, IDC_PLATFORM_COMBO, m_cTargetPlatform);
    DDX_Control(pDX, IDC_PLATFORM_DC_COMBO, m_cTargetPlatformDc);
    DDX_Control(pDX, IDC_PLATFORM_FILTER_ENABLE, m_cPlatformFilterEnable);
    DDX_Control(pDX, IDC_DESCRIPTION_EDIT, m_eDescription);
    DDX_Check(pDX, IDC_PLATFORM_FILTER_ENABLE, m_bEnablePlatformFilter);
}

BOOL CApplicationSelect::OnInitDialog() {
    CDialog::OnInitDialog();
    if (g_pZarvexConfig) {
        g_pZarvexConfig->LoadGlobalTargetPlatforms(&m_cTargetPlatform);
        g_pZarvexConfig->LoadGlobalTargetPlatformDcs(&m_cTargetPlatformDc, &m_cTargetPlatform);
    }
    RefillApplications();

    m_DescriptionFont.CreateFontW(14, 0, 0, 0, 400, TRUE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
    m_eDescription.SetFont(&m_DescriptionFont, TRUE);

    // Values not stored yet are created, then all are read back.
    WriteNewToRegistry();
    LoadFromRegistry();
    m_cPlatformFilterEnable.SetCheck(m_bEnablePlatformFilter == 1 ? BST_CHECKED : BST_UNCHECKED);

    OnCbnSelchangeApplicationCombo();
    if (g_pZarvexConfig)
        g_pZarvexConfig->LoadGlobalTargetPlatformDcs(&m_cTargetPlatformDc, &m_cTargetPlatform);
    if (g_pZarvexConfig)
        g_pZarvexConfig->LoadTargetApps(&m_cApplication, &m_cTargetPlatform, &m_cTargetPlatformDc);
    OnCbnSelchangeApplicationCombo();

    OnUpdatePlatformFilter();

    RefillApplications();
    OnCbnSelchangeApplicationCombo();
    return TRUE;
}

void CApplicationSelect::RefillApplications() {
    if (!g_pZarvexConfig)
        return;
    if (m_bEnablePlatformFilter != 0)
        g_pZarvexConfig->LoadTargetApps(&m_cApplication, &m_cTargetPlatform, &m_cTargetPlatformDc);
    else
        g_pZarvexConfig->LoadTargetApps(&m_cApplication, nullptr, nullptr);
}

void CApplicationSelect::OnCbnSelchangeApplicationCombo() {
    if (m_cApplication.GetCount() > 0) {
        int item = m_cApplication.GetCurSel();
        if (item == CB_ERR)
            item = 0;
        m_pSelectedApplication =
            static_cast<CZarvexConfig::t_APPLICATION*>(m_cApplication.GetItemDataPtr(item));
        m_eDescription.SetWindowTextW(m_pSelectedApplication && m_pSelectedApplication->pDescription
                                          ? m_pSelectedApplication->pDescription->GetString()
                                          : L"");
    } else {
        m_eDescription.SetWindowTextW(L"");
    }
    Invalidate(TRUE);
    UpdateWindow();
}

void CApplicationSelect::OnUpdatePlatformFilter() {
    const BOOL enable = m_bEnablePlatformFilter == 1;
    m_cTargetPlatform.EnableWindow(enable);
    m_cTargetPlatformDc.EnableWindow(enable);
    m_sPlatformFilterText.EnableWindow(enable);
    m_sDaughterCardText.EnableWindow(enable);
    RefillApplications();
    OnCbnSelchangeApplicationCombo();
}

void CApplicationSelect::OnBnClickedPlatformFilterEnable() {
    m_bEnablePlatformFilter = m_cPlatformFilterEnable.GetCheck() == BST_CHECKED ? 1 : 0;
    OnUpdatePlatformFilter();
}

void CApplicationSelect::OnCbnSelchangePlatformCombo() {
    if (g_pZarvexConfig)
        g_pZarvexConfig->LoadGlobalTargetPlatformDcs(&m_cTargetPlatformDc, &m_cTargetPlatform);
    RefillApplications();
    OnCbnSelchangeApplicationCombo();
}

void CApplicationSelect::UpdateTargetApps() {
    RefillApplications();
    OnCbnSelchangeApplicationCombo();
}

void CApplicationSelect::OnBnClickedLoad() {
    m_bDialogCancelled = false;
    UpdateData(TRUE);
    SaveToRegistry();
    const auto selectedData = [](CComboBox& box) {
        const int item = box.GetCurSel();
        return static_cast<unsigned int>(item == CB_ERR ? CB_ERR : box.GetItemData(item));
    };
    m_uGlobalTargetPlatformIdx = selectedData(m_cTargetPlatform);
    m_uGlobalTargetPlatformDcIdx = selectedData(m_cTargetPlatformDc);
    EndDialog(IDOK);
}

void CApplicationSelect::OnBnClickedCancel() {
    m_bDialogCancelled = true;
    EndDialog(IDCANCEL);
}
