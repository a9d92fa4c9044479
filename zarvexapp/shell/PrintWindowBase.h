#pragma once
// CPrintWindowBase: the log window of the main screen, a read-only rich-text
// box in which the application, its pages and the worker thread print
// coloured lines. A property page used as a modeless child dialog; the
// application object owns it and forwards its Print and Clear here. Other
// threads reach it only through UWM_API_PRINT.
//
// The order of the virtual operations below is a binary interface with
// plug-ins built separately: never reorder, insert or remove one.

#include "platform/PropertyPage.h"
#include "platform/RichEditCtrl.h"
#include "platform/WinTypes.h"

class CPrintWindowBase : public CPropertyPage {
public:
    CPrintWindowBase();
    ~CPrintWindowBase() override;

    // Creates the window from m_uTemplateId (low 16 bits) under the main
    // window, moves it to the top-left corner of the configuration's print
    // window rectangle, clears it and shows it. 0 when it cannot be made.
    int Create();

    // ---- Virtual operations, in slot order after CPropertyPage's -------------
    /* +0 */ virtual void OnTimer(unsigned int nIDEvent);
    // Empties the log and writes the banner and the application's title.
    /* +1 */ virtual void Clear();
    // Print(text, nullptr, colour): the text as it is.
    /* +2 */ virtual void Print(const wchar_t* text, ULONG colour);
    // Appends one line in that colour (0x00BBGGRR): `format` with `text2` as
    // its one argument, or `format` unchanged when text2 is null.
    /* +3 */ virtual void Print(const wchar_t* format, const wchar_t* text2, ULONG colour);

    // Right-button release over the focused log: the Clear / Copy pop-up.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    UINT m_uTemplateId = 0; // set by the owner before Create
    UINT m_uRichEditId = 0; // the log control of that template
    CRichEditCtrl m_RichEdit;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    // What the pop-up's choice does: Clear empties the log, Copy copies the
    // selection, or the whole log when nothing is selected.
    void OnPopupCommand(UINT command);
};
