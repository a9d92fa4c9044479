#include "HostSmallLogo.h"

#include "platform/ControlMessages.h"
#include "zarvexapp/resources/resource.h"

CHostSmallLogo::~CHostSmallLogo() {
    // The application destroys the window before it deletes this object, so
    // nothing shows the bitmap any more.
    if (m_hPicture)
        DeleteObject(m_hPicture);
}

bool CHostSmallLogo::ShowLogoOf(HMODULE application) {
    if (!application || !GetDlgItem(IDC_SMALL_LOGO_BITMAP))
        return false;
    const HBITMAP picture = LoadBitmapW(application, L"SMALL_LOGO");
    if (!picture)
        return false;
    SendDlgItemMessageW(IDC_SMALL_LOGO_BITMAP, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(picture));
    if (m_hPicture)
        DeleteObject(m_hPicture);
    m_hPicture = picture;
    return true;
}
