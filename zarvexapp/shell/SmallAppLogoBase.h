#pragma once
// CSmallAppLogoBase: the frame of the loaded application's small logo
// picture, a property page used as a modeless child dialog. The owner puts
// the picture in the template's static control; this class only places the
// window and keeps the picture's data pointer.
//
// The order of the virtual operations below is a binary interface with
// plug-ins built separately: never reorder, insert or remove one.

#include "platform/PropertyPage.h"
#include "platform/WinTypes.h"

class CSmallAppLogoBase : public CPropertyPage {
public:
    CSmallAppLogoBase();
    ~CSmallAppLogoBase() override;

    // Creates the window from m_uTemplateId (low 16 bits) under the main
    // window, moves it to the top-left corner of the configuration's small
    // logo rectangle and shows it; 0 when it cannot be made.
    int Create();

    // ---- Virtual operations, in slot order after CPropertyPage's -------------
    /* +0 */ virtual void OnTimer(unsigned int nIDEvent);
    // m_pBitMap; the module is not used.
    /* +1 */ virtual unsigned char* GetBitMap(HINSTANCE hInstance);

    unsigned char* m_pBitMap = nullptr;
    UINT m_uTemplateId = 0; // set by the owner before Create
};
