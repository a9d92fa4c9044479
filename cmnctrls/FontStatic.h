#pragma once
// CFontStatic: a static text control with its own font, colour and style.
//
// SetFontStatic(face, size, colour, style): size is the character cell
// height in pixels (as CreateFont's height), colour a COLORREF for the text
// (0: black), style a combination of the FS_ bits below. SetFontStyle
// replaces the style bits alone. Either may be called before or after the
// control has its window.

#include "platform/Font.h"
#include "platform/Static.h"

#define FS_BOLD 0x01u
#define FS_ITALIC 0x02u
#define FS_UNDERLINE 0x04u
#define FS_STRIKEOUT 0x08u
#define FS_CENTER 0x10u
#define FS_RIGHT 0x20u
#define FS_VCENTER 0x40u
#define FS_ANTIALIAS 0x80u

class CFontStatic : public CStatic {
public:
    CFontStatic() = default;
    ~CFontStatic() override = default;

    void SetFontStatic(const wchar_t* face, int size, DWORD colour, DWORD style);
    void SetFontStyle(DWORD style);

    DWORD GetFontStyle() const { return m_dwStyle; }
    COLORREF GetTextColour() const { return m_crText; }
    CFont* GetStaticFont() { return &m_font; }

protected:
    void PreSubclassWindow() override;

private:
    void Apply();

    CFont m_font;
    CString m_strFace = L"Tahoma";
    int m_nSize = 13;
    COLORREF m_crText = 0;
    DWORD m_dwStyle = 0;
    bool m_bSet = false;
};
