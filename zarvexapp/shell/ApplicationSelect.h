#pragma once
// CApplicationSelect: the modal dialog in which the user picks the
// application to run. It lists the applications the plug-in search found,
// shows the description of the one chosen, and can list only those that
// support a target platform and daughter card chosen from the global
// platform list. The filter and its two selections persist between runs.
// The configuration runs it (ChangeApplication); the caller reads the
// choice from it afterwards and deletes it.

#include "cmnctrls/ExtCheckBox.h"
#include "cmnctrls/FontStatic.h"
#include "platform/ComboBox.h"
#include "platform/Dialog.h"
#include "platform/Edit.h"
#include "platform/Font.h"
#include "platform/String.h"
#include "zarvexapp/config/ZarvexConfig.h"

class CRegistry;

class CApplicationSelect : public CDialog {
public:
    explicit CApplicationSelect(CWnd* pParent);
    ~CApplicationSelect() override;

    bool GetDialogCancelled();
    unsigned int GetGlobalTargetPlatformIdx();
    unsigned int GetGlobalTargetPlatformDcIdx();
    bool GetPlatformFilter();
    // The short title of the chosen application; "" when the dialog was
    // cancelled, nothing was chosen, or the choice is the application
    // already loaded.
    CString GetSelectedShortAppName();
    CString GetMyRegistryKey();
    void SetMyRegistryKey(const wchar_t* pKey);
    // Switches the persisted filter off for the next showing.
    void ClearPlatformFilterEnable();

    CZarvexConfig::t_APPLICATION* m_pSelectedApplication = nullptr;
    bool m_bDialogCancelled = false;
    CFont m_DescriptionFont;
    CComboBox m_cApplication;
    CFontStatic m_sPlatformFilterText;
    CFontStatic m_sDaughterCardText;
    CComboBox m_cTargetPlatform;
    CComboBox m_cTargetPlatformDc;
    unsigned int m_uGlobalTargetPlatformIdx = 0;
    unsigned int m_uGlobalTargetPlatformDcIdx = 0;
    CExtCheckBox m_cPlatformFilterEnable;
    int m_bEnablePlatformFilter = 0;
    CString m_strMyRegistryKey;
    CRegistry* m_pRegistry;
    CEdit m_eDescription;

protected:
    void LoadFromRegistry();
    void SaveToRegistry();
    void WriteNewToRegistry();
    virtual void RegistryAccess();

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    afx_msg void OnCbnSelchangeApplicationCombo();
    afx_msg void OnCbnSelchangePlatformCombo();
    afx_msg void OnBnClickedPlatformFilterEnable();
    afx_msg void OnBnClickedLoad();
    // Also reached by the Escape key and the close box.
    afx_msg void OnBnClickedCancel();

    DECLARE_MESSAGE_MAP()

private:
    afx_msg void UpdateTargetApps();
    void OnUpdatePlatformFilter();
    // The application list, filtered when the filter is on.
    void RefillApplications();
};
