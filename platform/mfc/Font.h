#pragma once
// CFont: a font object with an HFONT handle, made from the parameters of a
// Windows LOGFONT (height in pixels: negative for the character height,
// positive for the cell height) or from a size in tenths of a point.

#include "platform/ControlMessages.h"
#include "platform/GdiObjects.h"

#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_HEAVY 900
#define DEFAULT_CHARSET 1
#define ANSI_CHARSET 0
#define OUT_DEFAULT_PRECIS 0
#define OUT_CHARACTER_PRECIS 2
#define CLIP_DEFAULT_PRECIS 0
#define CLIP_CHARACTER_PRECIS 1
#define DEFAULT_QUALITY 0
#define ANTIALIASED_QUALITY 4
#define CLEARTYPE_QUALITY 5
#define DEFAULT_PITCH 0
#define FF_DONTCARE 0

struct LOGFONTW {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
};
using LOGFONT = LOGFONTW;

class CDC;

class CFont {
public:
    CFont() = default;
    ~CFont();
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    BOOL CreateFontW(int height, int width, int escapement, int orientation, int weight,
                     BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                     BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, LPCWSTR faceName);
    BOOL CreateFontIndirectW(const LOGFONTW* logFont);
    // pointSize in tenths of a point.
    BOOL CreatePointFont(int pointSize, LPCWSTR faceName, CDC* dc = nullptr);
    int GetLogFont(LOGFONTW* logFont) const;

    HFONT GetSafeHandle() const { return m_hObject; }
    operator HFONT() const { return m_hObject; }
    BOOL DeleteObject();

    // The Qt font this object stands for (the dialog font when empty).
    QFont qfont() const;

    HFONT m_hObject = nullptr;

private:
    BOOL Adopt(const QFont& font, const LOGFONTW& logFont);
    LOGFONTW m_logFont{};
};

namespace zx {
// A LOGFONT turned into the Qt font a Windows program would see.
QFont FontFromLogFont(const LOGFONTW& logFont);
} // namespace zx
