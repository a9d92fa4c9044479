#include "zarvexapp/shell/SmallAppLogoBase.h"

#include "zarvexapp/config/ZarvexConfig.h"
#include "zarvexapp/shell/ShellPlacement.h"

CSmallAppLogoBase::CSmallAppLogoBase() = default;

CSmallAppLogoBase::~CSmallAppLogoBase() = default;

int CSmallAppLogoBase::Create() {
    if (!zx::CreateShellWindow(*this, m_uTemplateId, &CZarvexConfig::GetSmallAppLogoRect))
        return 0;
    ShowWindow(SW_SHOW);
    return 1;
}

void CSmallAppLogoBase::OnTimer(unsigned int) {}

unsigned char* CSmallAppLogoBase::GetBitMap(HINSTANCE) {
    return m_pBitMap;
}
