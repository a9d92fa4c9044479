#include "zarvexapp/shell/SmallAppLogoBase.h"

#include "zarvexapp/config/ZarvexConfig.h"
#include "zarvexapp/contracts/Globals.h"
#include "zarvexapp/shell/ShellPlacement.h"

CSmallAppLogoBase::CSmallAppLogoBase() = default;

CSmallAppLogoBase::~CSmallAppLogoBase() = default;

int CSmallAppLogoBase::Create() {
    const CRect* place = g_pZarvexConfig ? g_pZarvexConfig->GetSmallAppLogoRect() : nullptr;
    if (!zx::CreateShellWindow(*this, m_uTemplateId, place))
        return 0;
    ShowWindow(SW_SHOW);
    return 1;
}

void CSmallAppLogoBase::OnTimer(unsigned int) {}

unsigned char* CSmallAppLogoBase::GetBitMap(HINSTANCE) {
    return m_pBitMap;
}
