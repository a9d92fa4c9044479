#pragma once
// The small logo frame as the host fills it: the loaded application's
// bitmap resource named "SMALL_LOGO", centred in the frame. An application
// without one keeps the empty frame. The application owns and deletes this
// window; the picture goes with it.

#include "platform/GdiObjects.h"
#include "zarvexapp/shell/SmallAppLogoBase.h"

class CHostSmallLogo : public CSmallAppLogoBase {
public:
    ~CHostSmallLogo() override;

    // Shows the module's small logo; false when it has none (or a damaged one).
    bool ShowLogoOf(HMODULE application);

private:
    HBITMAP m_hPicture = nullptr;
};
