// Rich edit controls ("RichEdit20A" and its kin) over QTextEdit: character
// formats, RTF stream-in and searching, beyond what they share with edits.
#include "platform/ControlState.h"
#include "platform/RtfReader.h"
#include "platform/TextBox.h"
#include "platform/WideText.h"

#include <QApplication>
#include <QPalette>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>

#include <algorithm>
#include <cstring>
#include <cwctype>

namespace zx {
namespace {

constexpr qint64 kMaxStream = 64 * 1024 * 1024; // far beyond any document a control shows

QTextCharFormat ToQtFormat(const CHARFORMATW& cf) {
    QTextCharFormat f;
    const DWORD m = cf.dwMask;
    if (m & CFM_BOLD)
        f.setFontWeight((cf.dwEffects & CFE_BOLD) ? QFont::Bold : QFont::Normal);
    if (m & CFM_ITALIC)
        f.setFontItalic((cf.dwEffects & CFE_ITALIC) != 0);
    if (m & CFM_UNDERLINE)
        f.setFontUnderline((cf.dwEffects & CFE_UNDERLINE) != 0);
    if (m & CFM_STRIKEOUT)
        f.setFontStrikeOut((cf.dwEffects & CFE_STRIKEOUT) != 0);
    if (m & CFM_COLOR) {
        if (cf.dwEffects & CFE_AUTOCOLOR)
            f.clearForeground();
        else
            f.setForeground(ToQColor(cf.crTextColor));
    }
    if ((m & CFM_SIZE) && cf.yHeight > 0)
        f.setFontPointSize(std::clamp(cf.yHeight, 20, 32000) / 20.0);
    if (m & CFM_FACE) {
        const size_t n = wcsnlen(cf.szFaceName, LF_FACESIZE);
        if (n > 0)
            f.setFontFamilies({QString::fromWCharArray(cf.szFaceName, static_cast<qsizetype>(n))});
    }
    if (cf.cbSize >= sizeof(CHARFORMAT2W)) {
        const auto& cf2 = static_cast<const CHARFORMAT2W&>(cf);
        if ((m & CFM_WEIGHT) && cf2.wWeight >= 100 && cf2.wWeight <= 900)
            f.setFontWeight(cf2.wWeight);
        if (m & CFM_BACKCOLOR) {
            if (cf.dwEffects & CFE_AUTOBACKCOLOR)
                f.clearBackground();
            else
                f.setBackground(ToQColor(cf2.crBackColor));
        }
    }
    return f;
}

void FromQtFormat(const QTextCharFormat& f, const QFont& fallback, COLORREF fallbackColor,
                  CHARFORMATW& cf) {
    const QFont font = f.font().resolve(fallback);
    cf.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_COLOR | CFM_SIZE |
                CFM_FACE | CFM_CHARSET;
    cf.dwEffects = (font.weight() >= QFont::Bold ? CFE_BOLD : 0) |
                   (font.italic() ? CFE_ITALIC : 0) | (font.underline() ? CFE_UNDERLINE : 0) |
                   (font.strikeOut() ? CFE_STRIKEOUT : 0);
    if (f.hasProperty(QTextFormat::ForegroundBrush))
        cf.crTextColor = FromQColor(f.foreground().color());
    else
        cf.crTextColor = fallbackColor, cf.dwEffects |= CFE_AUTOCOLOR;
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 0.75;
    cf.yHeight = static_cast<LONG>(points * 20 + 0.5);
    cf.yOffset = 0;
    cf.bCharSet = 0;
    cf.bPitchAndFamily = 0;
    const std::wstring face = font.family().toStdWString();
    const size_t n = std::min<size_t>(face.size(), LF_FACESIZE - 1);
    std::fill(std::begin(cf.szFaceName), std::end(cf.szFaceName), L'\0');
    std::copy_n(face.data(), n, cf.szFaceName);
    if (cf.cbSize >= sizeof(CHARFORMAT2W)) {
        auto& cf2 = static_cast<CHARFORMAT2W&>(cf);
        cf.dwMask |= CFM_WEIGHT;
        cf2.wWeight = static_cast<WORD>(font.weight());
    }
}

bool ValidCharFormat(LPARAM lParam) {
    const auto* cf = reinterpret_cast<const CHARFORMATW*>(lParam);
    return cf && cf->cbSize >= sizeof(CHARFORMATW);
}

constexpr double kTwipsPerPixel = 15.0; // 1440 twips per inch at 96 pixels per inch

void InsertRtf(QTextCursor& cursor, const RtfDocument& rtf) {
    QTextList* list = nullptr;
    int listIndent = -1;
    for (size_t i = 0; i < rtf.paragraphs.size(); ++i) {
        const RtfParagraph& para = rtf.paragraphs[i];
        QTextBlockFormat block;
        block.setLeftMargin(para.format.leftIndent / kTwipsPerPixel);
        block.setRightMargin(para.format.rightIndent / kTwipsPerPixel);
        block.setTopMargin(para.format.spaceBefore / kTwipsPerPixel);
        block.setBottomMargin(para.format.spaceAfter / kTwipsPerPixel);
        block.setTextIndent(para.format.bullet ? 0.0 : para.format.firstIndent / kTwipsPerPixel);
        block.setAlignment(para.format.align == RtfAlign::Center    ? Qt::AlignHCenter
                           : para.format.align == RtfAlign::Right   ? Qt::AlignRight
                           : para.format.align == RtfAlign::Justify ? Qt::AlignJustify
                                                                    : Qt::AlignLeft);
        if (i == 0)
            cursor.setBlockFormat(block);
        else
            cursor.insertBlock(block);
        if (para.format.bullet) {
            if (list && listIndent == para.format.leftIndent) {
                list->add(cursor.block());
            } else {
                QTextListFormat format;
                format.setStyle(QTextListFormat::ListDisc);
                format.setIndent(0);
                list = cursor.createList(format);
                listIndent = para.format.leftIndent;
            }
        } else {
            list = nullptr;
            if (QTextList* inherited = cursor.block().textList())
                inherited->remove(cursor.block());
        }
        for (const RtfRun& run : para.runs) {
            QTextCharFormat f;
            f.setFontWeight(run.format.bold ? QFont::Bold : QFont::Normal);
            f.setFontItalic(run.format.italic);
            f.setFontUnderline(run.format.underline);
            f.setFontStrikeOut(run.format.strike);
            f.setFontPointSize(run.format.halfPoints / 2.0);
            if (!run.format.face.empty())
                f.setFontFamilies({QString::fromStdWString(run.format.face)});
            if (run.format.color)
                f.setForeground(ToQColor(*run.format.color));
            cursor.insertText(QString::fromStdWString(run.text), f);
        }
    }
}

LRESULT StreamIn(ControlState& s, const TextBox& box, WPARAM flags, EDITSTREAM* es) {
    if (!es || !es->pfnCallback)
        return 0;
    std::string bytes;
    BYTE buffer[4096];
    es->dwError = 0;
    for (;;) {
        LONG got = 0;
        const DWORD error =
            es->pfnCallback(es->dwCookie, buffer, static_cast<LONG>(sizeof buffer), &got);
        if (error != 0) {
            es->dwError = error;
            break;
        }
        if (got <= 0)
            break;
        got = std::min<LONG>(got, static_cast<LONG>(sizeof buffer));
        if (static_cast<qint64>(bytes.size()) + got > kMaxStream) {
            es->dwError = static_cast<DWORD>(-16); // too much to be a document for a control
            break;
        }
        bytes.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(got));
    }

    QTextCursor cursor = box.cursor();
    if (!(flags & SFF_SELECTION)) {
        box.doc()->clear();
        cursor = QTextCursor(box.doc());
    }
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const int before = box.length();
    const bool rtf = (flags & 0x3) == SF_RTF || (flags & 0x3) == SF_RTFNOOBJS;
    std::optional<RtfDocument> doc;
    if (rtf)
        doc = ParseRtf(bytes);
    if (doc) {
        InsertRtf(cursor, *doc);
    } else {
        // Plain text, or "RTF" that is not: a rich edit shows it as text.
        QString text;
        if (!rtf && (flags & SF_UNICODE)) {
            text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.data()),
                                      static_cast<qsizetype>(bytes.size() / 2));
        } else if ((flags & SF_USECODEPAGE) && HIWORD(flags) == 65001) {
            text = QString::fromStdWString(Utf8ToWide(bytes));
        } else {
            std::wstring wide;
            wide.reserve(bytes.size());
            for (const char c : bytes)
                wide += AnsiCharToWide(static_cast<unsigned char>(c));
            text = QString::fromStdWString(wide);
        }
        cursor.insertText(NormaliseBreaks(text));
    }
    cursor.endEditBlock();
    if (!(flags & SFF_SELECTION)) {
        QTextCursor start(box.doc());
        box.setCursor(start);
        box.doc()->setModified(false);
    } else {
        box.setCursor(cursor);
    }
    s.rich.insertFormat.reset();
    return static_cast<LRESULT>(std::max(0, box.length() - before));
}

LRESULT FindText(const TextBox& box, WPARAM flags, FINDTEXTEXW* find) {
    if (!find)
        return -1;
    find->chrgText = {-1, -1};
    if (!find->lpstrText)
        return -1;
    const std::wstring text = box.text();
    const std::wstring needle = find->lpstrText;
    const int len = static_cast<int>(text.size());
    const int n = static_cast<int>(needle.size());
    if (n == 0)
        return -1;
    const bool matchCase = (flags & FR_MATCHCASE) != 0;
    auto same = [&](wchar_t a, wchar_t b) {
        return matchCase
                   ? a == b
                   : std::towlower(static_cast<wint_t>(a)) == std::towlower(static_cast<wint_t>(b));
    };
    auto isWordChar = [](wchar_t c) { return std::iswalnum(static_cast<wint_t>(c)) || c == L'_'; };
    auto matchesAt = [&](int at) {
        for (int k = 0; k < n; ++k) {
            if (!same(text[static_cast<size_t>(at + k)], needle[static_cast<size_t>(k)]))
                return false;
        }
        if (flags & FR_WHOLEWORD) {
            if (at > 0 && isWordChar(text[static_cast<size_t>(at - 1)]))
                return false;
            if (at + n < len && isWordChar(text[static_cast<size_t>(at + n)]))
                return false;
        }
        return true;
    };
    const int cpMin = std::clamp<int>(find->chrg.cpMin, 0, len);
    int found = -1;
    if (flags & FR_DOWN) {
        const int end = find->chrg.cpMax < 0 ? len : std::clamp<int>(find->chrg.cpMax, 0, len);
        for (int at = cpMin; at + n <= end && found < 0; ++at) {
            if (matchesAt(at))
                found = at;
        }
    } else {
        const int low = find->chrg.cpMax < 0 ? 0 : std::clamp<int>(find->chrg.cpMax, 0, len);
        for (int at = cpMin - n; at >= low && found < 0; --at) {
            if (matchesAt(at))
                found = at;
        }
    }
    if (found >= 0)
        find->chrgText = {found, found + n};
    return found;
}

LRESULT OnSetCharFormat(ControlState& s, const TextBox& box, WPARAM wParam, LPARAM lParam) {
    if (!ValidCharFormat(lParam))
        return 0;
    const auto& cf = *reinterpret_cast<const CHARFORMATW*>(lParam);
    if (wParam == SCF_DEFAULT) {
        const size_t size = std::min<size_t>(cf.cbSize, sizeof(CHARFORMAT2W));
        CHARFORMAT2W merged = s.rich.defaultFormat;
        std::memcpy(static_cast<void*>(&merged), &cf, size);
        merged.cbSize = sizeof(CHARFORMAT2W);
        merged.dwMask |= s.rich.defaultFormat.dwMask;
        s.rich.defaultFormat = merged;
        ApplyDefaultFormat(s, box);
        return TRUE;
    }
    const QTextCharFormat format = ToQtFormat(cf);
    QTextCursor c = box.cursor();
    if (wParam & SCF_ALL) {
        c.select(QTextCursor::Document);
        c.mergeCharFormat(format);
    } else if (c.hasSelection()) {
        c.mergeCharFormat(format);
    } else {
        QTextCharFormat insert = s.rich.insertFormat && s.rich.insertPos == c.position()
                                     ? *s.rich.insertFormat
                                     : c.charFormat();
        insert.merge(format);
        s.rich.insertFormat = insert;
        s.rich.insertPos = c.position();
    }
    return TRUE;
}

LRESULT OnGetCharFormat(ControlState& s, const TextBox& box, WPARAM wParam, LPARAM lParam) {
    if (!ValidCharFormat(lParam))
        return 0;
    auto& cf = *reinterpret_cast<CHARFORMATW*>(lParam);
    const COLORREF autoColor = FromQColor(s.widget->palette().color(QPalette::Text));
    if (wParam == SCF_DEFAULT) {
        FromQtFormat(QTextCharFormat(), box.doc()->defaultFont(), autoColor, cf);
        if ((s.rich.defaultFormat.dwMask & CFM_COLOR) &&
            !(s.rich.defaultFormat.dwEffects & CFE_AUTOCOLOR)) {
            cf.crTextColor = s.rich.defaultFormat.crTextColor;
            cf.dwEffects &= ~CFE_AUTOCOLOR;
        }
        cf.bCharSet = s.rich.defaultFormat.bCharSet;
    } else {
        const QTextCursor c = box.cursor();
        QTextCharFormat f = c.charFormat();
        if (!c.hasSelection() && s.rich.insertFormat && s.rich.insertPos == c.position())
            f = *s.rich.insertFormat;
        FromQtFormat(f, box.doc()->defaultFont(), autoColor, cf);
    }
    return static_cast<LRESULT>(cf.dwMask);
}

LRESULT OnSetBackgroundColor(ControlState& s, WPARAM wParam, LPARAM lParam) {
    QPalette palette = s.widget->palette();
    const COLORREF previous = FromQColor(palette.color(QPalette::Base));
    palette.setColor(QPalette::Base, wParam ? QApplication::palette().color(QPalette::Base)
                                            : ToQColor(static_cast<COLORREF>(lParam)));
    s.widget->setPalette(palette);
    return previous;
}

LRESULT OnGetTextRange(const TextBox& box, LPARAM lParam) {
    auto* range = reinterpret_cast<TEXTRANGEW*>(lParam);
    if (!range || !range->lpstrText)
        return 0;
    const std::wstring text = box.text();
    const int len = static_cast<int>(text.size());
    const int a = std::clamp<int>(range->chrg.cpMin, 0, len);
    const int b = range->chrg.cpMax < 0 ? len : std::clamp<int>(range->chrg.cpMax, a, len);
    std::copy(text.begin() + a, text.begin() + b, range->lpstrText);
    range->lpstrText[b - a] = L'\0';
    return b - a;
}

} // namespace

// The default character format: the document's font and the text colour
// of runs that carry no colour of their own.
void ApplyDefaultFormat(ControlState& s, const TextBox& box) {
    const CHARFORMAT2W& cf = s.rich.defaultFormat;
    QFont font = box.doc()->defaultFont();
    const QTextCharFormat f = ToQtFormat(cf);
    if (cf.dwMask & CFM_FACE)
        font.setFamilies(f.fontFamilies().toStringList());
    if ((cf.dwMask & CFM_SIZE) && cf.yHeight > 0)
        font.setPointSizeF(f.fontPointSize());
    if (cf.dwMask & CFM_BOLD)
        font.setWeight((cf.dwEffects & CFE_BOLD) ? QFont::Bold : QFont::Normal);
    if (cf.dwMask & CFM_ITALIC)
        font.setItalic((cf.dwEffects & CFE_ITALIC) != 0);
    box.doc()->setDefaultFont(font);
    if (cf.dwMask & CFM_COLOR) {
        QWidget* w = s.widget;
        QPalette palette = w->palette();
        palette.setColor(QPalette::Text, (cf.dwEffects & CFE_AUTOCOLOR)
                                             ? QApplication::palette().color(QPalette::Text)
                                             : ToQColor(cf.crTextColor));
        w->setPalette(palette);
    }
}

LRESULT RichEditProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    const TextBox box(s.widget);
    if (!box.rich) {
        handled = false;
        return 0;
    }
    switch (msg) {
    case EM_STREAMIN:
        return StreamIn(s, box, wParam, reinterpret_cast<EDITSTREAM*>(lParam));
    case EM_SETCHARFORMAT:
        return OnSetCharFormat(s, box, wParam, lParam);
    case EM_GETCHARFORMAT:
        return OnGetCharFormat(s, box, wParam, lParam);
    case EM_SETEVENTMASK: {
        const DWORD previous = s.rich.eventMask;
        s.rich.eventMask = static_cast<DWORD>(lParam);
        return previous;
    }
    case EM_GETEVENTMASK:
        return s.rich.eventMask;
    case EM_SETBKGNDCOLOR:
        return OnSetBackgroundColor(s, wParam, lParam);
    case EM_FINDTEXTEXW:
        return FindText(box, wParam, reinterpret_cast<FINDTEXTEXW*>(lParam));
    case EM_GETTEXTRANGE:
        return OnGetTextRange(box, lParam);
    case EM_HIDESELECTION:
        return 0;
    default:
        handled = false;
        return 0;
    }
}

void AttachRichEdit(ControlState& s) {
    // A rich edit starts with the system font in the window text colour.
    s.rich.defaultFormat.cbSize = sizeof(CHARFORMAT2W);
    auto* rich = qobject_cast<QTextEdit*>(s.widget);
    rich->setAcceptRichText(false);
    rich->setTabChangesFocus(true);
    rich->document()->setDocumentMargin(2);
    ControlState* state = &s;
    QObject::connect(rich, &QTextEdit::textChanged, state, [state] {
        if (state->rich.eventMask & ENM_CHANGE)
            NotifyParent(*state, EN_CHANGE);
    });
}

} // namespace zx
