#include "platform/Font.h"

#include "platform/FontRegistry.h"

#include <QFontMetrics>

#include <algorithm>
#include <cwchar>

namespace zx {

QFont FontFromLogFont(const LOGFONTW& lf) {
    const size_t faceLength = wcsnlen(lf.lfFaceName, LF_FACESIZE);
    const QString face =
        faceLength ? QString::fromWCharArray(lf.lfFaceName, static_cast<qsizetype>(faceLength))
                   : QStringLiteral("Tahoma");
    const int weight = lf.lfWeight <= 0 ? 400 : std::clamp<int>(lf.lfWeight, 100, 900);
    QFont font = FontRegistry::font(face, 8, weight, lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    const int height = std::clamp<LONG>(lf.lfHeight, -2000, 2000);
    if (height < 0) {
        font.setPixelSize(-height);
    } else if (height > 0) {
        // A positive height is the cell (ascent + descent): the largest
        // character height whose cell fits it, as Windows' font mapper picks.
        font.setPixelSize(height);
        const int cell = QFontMetrics(font).height();
        const int estimate = cell > 0 ? std::max(1, (height * height + cell / 2) / cell) : height;
        int best = 0;
        for (int size = std::max(1, estimate - 2); size <= estimate + 2; ++size) {
            font.setPixelSize(size);
            if (QFontMetrics(font).height() <= height)
                best = size;
        }
        font.setPixelSize(best > 0 ? best : std::max(1, estimate));
    }
    return font;
}

} // namespace zx

CFont::~CFont() {
    DeleteObject();
}

BOOL CFont::CreateFontW(int height, int width, int escapement, int orientation, int weight,
                        BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet,
                        BYTE outPrecision, BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily,
                        LPCWSTR faceName) {
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = italic;
    lf.lfUnderline = underline;
    lf.lfStrikeOut = strikeOut;
    lf.lfCharSet = charSet;
    lf.lfOutPrecision = outPrecision;
    lf.lfClipPrecision = clipPrecision;
    lf.lfQuality = quality;
    lf.lfPitchAndFamily = pitchAndFamily;
    if (faceName)
        wcsncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

BOOL CFont::CreateFontIndirectW(const LOGFONTW* logFont) {
    if (!logFont)
        return FALSE;
    LOGFONTW lf = *logFont;
    lf.lfFaceName[LF_FACESIZE - 1] = L'\0';
    return Adopt(zx::FontFromLogFont(lf), lf);
}

BOOL CFont::CreatePointFont(int pointSize, LPCWSTR faceName, CDC*) {
    LOGFONTW lf{};
    // Tenths of a point at 96 pixels per inch, as the character height.
    lf.lfHeight = -static_cast<LONG>(
        (static_cast<long long>(std::clamp(pointSize, 0, 100000)) * 96 + 360) / 720);
    lf.lfWeight = FW_NORMAL;
    if (faceName)
        wcsncpy(lf.lfFaceName, faceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

int CFont::GetLogFont(LOGFONTW* logFont) const {
    if (!logFont || !m_hObject)
        return 0;
    *logFont = m_logFont;
    return static_cast<int>(sizeof(LOGFONTW));
}

BOOL CFont::DeleteObject() {
    if (!m_hObject)
        return FALSE;
    const BOOL ok = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return ok;
}

QFont CFont::qfont() const {
    if (auto font = zx::FontFromHandle(m_hObject))
        return *font;
    return zx::FontRegistry::font(QStringLiteral("Tahoma"), 8);
}

BOOL CFont::Adopt(const QFont& font, const LOGFONTW& logFont) {
    if (m_hObject) // MFC asserts here; replacing is the forgiving reading
        DeleteObject();
    m_hObject = zx::CreateFontHandle(font);
    m_logFont = logFont;
    return m_hObject ? TRUE : FALSE;
}
