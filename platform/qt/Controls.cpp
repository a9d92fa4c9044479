#include "platform/Controls.h"

#include "platform/ComboList.h"
#include "platform/DialogBuilder.h"
#include "platform/GdiObjects.h"
#include "platform/RtfReader.h"
#include "platform/WideText.h"
#include "platform/WidgetHandles.h"
#include "platform/WindowHandles.h"
#include "platform/rc/zxres.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <optional>
#include <string>
#include <unordered_map>

namespace zx {

namespace {

enum class Kind { Button, Static, Edit, RichEdit, Combo, Progress, Other };

constexpr qint64 kMaxStream = 64 * 1024 * 1024; // far beyond any document a control shows

QString fromWide(const wchar_t* text) {
    return text ? QString::fromWCharArray(text) : QString();
}

// Windows shows "&x" as an underlined x and "&&" as '&'; labels do not
// read mnemonics in Qt.
QString withoutMnemonics(const QString& in) {
    QString out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == u'&' && i + 1 < in.size())
            ++i;
        out += in[i];
    }
    return out;
}

// Every CR LF, lone CR or lone LF becomes one paragraph break.
QString normaliseBreaks(const QString& in) {
    QString out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const QChar c = in[i];
        if (c == u'\r') {
            if (i + 1 < in.size() && in[i + 1] == u'\n')
                ++i;
            out += u'\n';
        } else {
            out += c;
        }
    }
    return out;
}

LRESULT copyOut(const std::wstring& text, WPARAM capacity, LPARAM buffer) {
    auto* out = reinterpret_cast<wchar_t*>(buffer);
    if (!out || capacity == 0)
        return 0;
    const size_t n = std::min<size_t>(text.size(), static_cast<size_t>(capacity) - 1);
    std::copy_n(text.data(), n, out);
    out[n] = L'\0';
    return static_cast<LRESULT>(n);
}

struct ControlState;
std::unordered_map<HWND, ControlState*>& registry() {
    static auto* map = new std::unordered_map<HWND, ControlState*>;
    return *map;
}

struct ControlState : QObject {
    HWND hwnd = nullptr;
    QPointer<QWidget> widget;
    Kind kind = Kind::Other;
    DWORD style = 0;
    WNDPROC previous = nullptr;
    HFONT font = nullptr;
    std::optional<QString> originalText; // a static's text with its '&'s

    // Buttons that do not check themselves (BS_CHECKBOX, BS_RADIOBUTTON).
    int manualCheck = BST_UNCHECKED;

    ComboList combo;

    int pbMin = 0;
    int pbMax = 100;
    int pbPos = 0;
    int pbStep = 10;
    COLORREF pbColor = 0xFF000000u; // CLR_DEFAULT

    DWORD eventMask = 0;
    CHARFORMAT2W defaultFormat{};
    // The format set on an empty selection, used by the next insertion there.
    std::optional<QTextCharFormat> insertFormat;
    int insertPos = -1;

    ~ControlState() override {
        auto& map = registry();
        const auto it = map.find(hwnd);
        if (it != map.end() && it->second == this)
            map.erase(it);
    }

    bool eventFilter(QObject* watched, QEvent* event) override;
};

ControlState* stateOf(HWND hwnd) {
    auto& map = registry();
    const auto it = map.find(hwnd);
    return it == map.end() ? nullptr : it->second;
}

void notifyParent(ControlState& s, int code) {
    if (!s.widget || !s.hwnd)
        return; // a control whose handle has ended tells no one
    // The nearest window up the widget tree (a group box is no window).
    HWND parent = WindowFromWidget(s.widget->parentWidget());
    if (!parent)
        return;
    const DWORD id = DialogBuilder::controlId(s.widget);
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(s.hwnd));
}

bool ControlState::eventFilter(QObject* watched, QEvent* event) {
    if (watched == widget && kind == Kind::Static && (style & SS_NOTIFY) &&
        event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        notifyParent(*this, STN_CLICKED);
    }
    return QObject::eventFilter(watched, event);
}

// ---- Text boxes -----------------------------------------------------------------

// The multi-line kinds (edit and rich edit) share one document model.
struct TextBox {
    QTextEdit* rich = nullptr;
    QPlainTextEdit* plain = nullptr;

    explicit TextBox(QWidget* w)
        : rich(qobject_cast<QTextEdit*>(w)), plain(qobject_cast<QPlainTextEdit*>(w)) {}
    bool valid() const { return rich || plain; }
    QTextDocument* doc() const { return rich ? rich->document() : plain->document(); }
    QTextCursor cursor() const { return rich ? rich->textCursor() : plain->textCursor(); }
    void setCursor(const QTextCursor& c) const {
        if (rich)
            rich->setTextCursor(c);
        else
            plain->setTextCursor(c);
    }
    void setReadOnly(bool on) const {
        if (rich)
            rich->setReadOnly(on);
        else
            plain->setReadOnly(on);
    }
    QScrollBar* vbar() const {
        return rich ? rich->verticalScrollBar() : plain->verticalScrollBar();
    }
    QScrollBar* hbar() const {
        return rich ? rich->horizontalScrollBar() : plain->horizontalScrollBar();
    }
    int length() const { return std::max(0, doc()->characterCount() - 1); }
    int clamp(LONG pos) const {
        const int len = length();
        return pos < 0 || pos > len ? len : static_cast<int>(pos);
    }
    // The text as positions count it, with paragraph ends as '\r'.
    std::wstring text() const {
        QString raw = doc()->toRawText();
        raw.replace(QChar::ParagraphSeparator, u'\r');
        return raw.toStdWString();
    }
};

QTextCharFormat toQtFormat(const CHARFORMATW& cf) {
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

void fromQtFormat(const QTextCharFormat& f, const QFont& fallback, COLORREF fallbackColor,
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

bool validCharFormat(LPARAM lParam) {
    const auto* cf = reinterpret_cast<const CHARFORMATW*>(lParam);
    return cf && cf->cbSize >= sizeof(CHARFORMATW);
}

// The default character format: the document's font and the text colour
// of runs that carry no colour of their own.
void applyDefaultFormat(ControlState& s, TextBox& box) {
    const CHARFORMAT2W& cf = s.defaultFormat;
    QFont font = box.doc()->defaultFont();
    const QTextCharFormat f = toQtFormat(cf);
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

// ---- Stream-in -----------------------------------------------------------------------

constexpr double kTwipsPerPixel = 15.0; // 1440 twips per inch at 96 pixels per inch

void insertRtf(QTextCursor& cursor, const RtfDocument& rtf) {
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

LRESULT streamIn(ControlState& s, TextBox& box, WPARAM flags, EDITSTREAM* es) {
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
        insertRtf(cursor, *doc);
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
        cursor.insertText(normaliseBreaks(text));
    }
    cursor.endEditBlock();
    if (!(flags & SFF_SELECTION)) {
        QTextCursor start(box.doc());
        box.setCursor(start);
        box.doc()->setModified(false);
    } else {
        box.setCursor(cursor);
    }
    s.insertFormat.reset();
    return static_cast<LRESULT>(std::max(0, box.length() - before));
}

// ---- Line operations ----------------------------------------------------------------

int lineOf(const TextBox& box, int pos) {
    return box.doc()->findBlock(box.clamp(pos)).blockNumber();
}

LRESULT lineIndex(const TextBox& box, WPARAM line) {
    int n = static_cast<int>(static_cast<LONG>(line));
    if (n == -1)
        n = lineOf(box, box.cursor().position());
    const QTextBlock block = box.doc()->findBlockByNumber(n);
    return block.isValid() ? block.position() : -1;
}

std::wstring lineText(const TextBox& box, int n, bool withEnd) {
    const QTextBlock block = box.doc()->findBlockByNumber(n);
    if (!block.isValid())
        return {};
    std::wstring text = block.text().toStdWString();
    if (withEnd && block.next().isValid())
        text += L'\r';
    return text;
}

LRESULT findText(const TextBox& box, WPARAM flags, FINDTEXTEXW* find) {
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

void setSelection(const TextBox& box, LONG start, LONG end) {
    QTextCursor cursor = box.cursor();
    if (start == -1) { // remove the selection, keep the caret
        cursor.clearSelection();
    } else {
        cursor.setPosition(box.clamp(start));
        cursor.setPosition(box.clamp(end), QTextCursor::KeepAnchor);
    }
    box.setCursor(cursor);
}

void replaceSelection(ControlState& s, const TextBox& box, const wchar_t* text) {
    QTextCursor cursor = box.cursor();
    QTextCharFormat format = cursor.charFormat();
    if (!cursor.hasSelection() && s.insertFormat && s.insertPos == cursor.position())
        format = *s.insertFormat;
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    cursor.insertText(normaliseBreaks(fromWide(text)), format);
    cursor.endEditBlock();
    box.setCursor(cursor);
    s.insertFormat.reset();
}

LRESULT richOrEditProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    TextBox box(s.widget);
    QLineEdit* line = qobject_cast<QLineEdit*>(s.widget);
    const bool rich = s.kind == Kind::RichEdit;

    if (line) {
        switch (msg) {
        case EM_GETSEL: {
            const int start =
                line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
            const int end = line->hasSelectedText() ? line->selectionEnd() : start;
            if (wParam)
                *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(start);
            if (lParam)
                *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(end);
            return (start > 0xFFFF || end > 0xFFFF) ? -1 : MAKELONG(start, end);
        }
        case EM_SETSEL: {
            const int len = static_cast<int>(line->text().size());
            const auto start = static_cast<LONG>(wParam);
            const auto end = static_cast<LONG>(lParam);
            if (start == -1) {
                line->deselect();
                return 0;
            }
            const int a = start < 0 || start > len ? len : static_cast<int>(start);
            const int b = end < 0 || end > len ? len : static_cast<int>(end);
            line->setSelection(a, b - a);
            return 0;
        }
        case EM_REPLACESEL: {
            QString text = normaliseBreaks(fromWide(reinterpret_cast<const wchar_t*>(lParam)));
            text.remove(u'\n');
            line->insert(text);
            return 0;
        }
        case EM_SETREADONLY:
            line->setReadOnly(wParam != 0);
            s.style = wParam ? (s.style | ES_READONLY) : (s.style & ~DWORD(ES_READONLY));
            return TRUE;
        case EM_GETLINECOUNT:
            return 1;
        case EM_LINEINDEX:
            return static_cast<LONG>(wParam) <= 0 ? 0 : -1;
        case EM_LINEFROMCHAR:
            return 0;
        case EM_LINELENGTH:
            return line->text().size();
        case EM_GETLINE: {
            auto* out = reinterpret_cast<wchar_t*>(lParam);
            if (!out || wParam != 0)
                return 0;
            const size_t max = static_cast<size_t>(out[0]) & 0xFFFF;
            const std::wstring text = line->text().toStdWString();
            const size_t n = std::min(max, text.size());
            std::copy_n(text.data(), n, out);
            return static_cast<LRESULT>(n);
        }
        case EM_LIMITTEXT:
            line->setMaxLength(
                wParam == 0 ? 0x7FFFFFFE : static_cast<int>(std::min<WPARAM>(wParam, 0x7FFFFFFE)));
            return 0;
        case EM_GETMODIFY:
            return line->isModified() ? TRUE : FALSE;
        case EM_SETMODIFY:
            line->setModified(wParam != 0);
            return 0;
        case WM_CLEAR:
            line->del();
            return 0;
        case WM_COPY:
            line->copy();
            return 0;
        case WM_CUT:
            line->cut();
            return 0;
        case WM_PASTE:
            line->paste();
            return 0;
        default:
            handled = false;
            return 0;
        }
    }
    if (!box.valid()) {
        handled = false;
        return 0;
    }

    switch (msg) {
    case EM_GETSEL: {
        const QTextCursor c = box.cursor();
        const int start = c.selectionStart();
        const int end = c.selectionEnd();
        if (wParam)
            *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(start);
        if (lParam)
            *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(end);
        return (start > 0xFFFF || end > 0xFFFF) ? -1 : MAKELONG(start, end);
    }
    case EM_SETSEL:
        setSelection(box, static_cast<LONG>(wParam), static_cast<LONG>(lParam));
        return 0;
    case EM_EXGETSEL: {
        auto* range = reinterpret_cast<CHARRANGE*>(lParam);
        if (range) {
            const QTextCursor c = box.cursor();
            range->cpMin = c.selectionStart();
            range->cpMax = c.selectionEnd();
        }
        return 0;
    }
    case EM_EXSETSEL: {
        const auto* range = reinterpret_cast<const CHARRANGE*>(lParam);
        if (!range)
            return 0;
        setSelection(box, range->cpMin, range->cpMax);
        return box.cursor().selectionEnd();
    }
    case EM_REPLACESEL:
        replaceSelection(s, box, reinterpret_cast<const wchar_t*>(lParam));
        return 0;
    case EM_GETLINECOUNT:
        return box.doc()->blockCount();
    case EM_LINEINDEX:
        return lineIndex(box, wParam);
    case EM_LINEFROMCHAR:
    case EM_EXLINEFROMCHAR: {
        const auto pos =
            static_cast<LONG>(msg == EM_EXLINEFROMCHAR ? lParam : static_cast<LPARAM>(wParam));
        if (pos < 0)
            return lineOf(box, box.cursor().selectionStart());
        return lineOf(box, pos);
    }
    case EM_LINELENGTH: {
        const auto pos = static_cast<LONG>(wParam);
        const QTextBlock block =
            box.doc()->findBlock(pos < 0 ? box.cursor().position() : box.clamp(pos));
        return block.isValid() ? block.length() - 1 : 0;
    }
    case EM_GETLINE: {
        auto* out = reinterpret_cast<wchar_t*>(lParam);
        if (!out)
            return 0;
        // The caller puts the buffer's size in its first element (a WORD on
        // Windows: only those bits are read).
        const size_t max = static_cast<size_t>(out[0]) & 0xFFFF;
        const std::wstring text = lineText(box, static_cast<int>(static_cast<LONG>(wParam)), rich);
        const size_t n = std::min(max, text.size());
        std::copy_n(text.data(), n, out);
        return static_cast<LRESULT>(n);
    }
    case EM_GETFIRSTVISIBLELINE: {
        const QTextCursor top = s.kind == Kind::RichEdit
                                    ? box.rich->cursorForPosition(QPoint(0, 0))
                                    : box.plain->cursorForPosition(QPoint(0, 0));
        return top.blockNumber();
    }
    case EM_LINESCROLL: {
        const auto lines = static_cast<int>(static_cast<LONG>(lParam));
        if (box.plain) {
            box.vbar()->setValue(box.vbar()->value() + lines);
        } else {
            const QFontMetrics metrics(box.doc()->defaultFont());
            box.vbar()->setValue(box.vbar()->value() + lines * metrics.lineSpacing());
        }
        const auto chars = static_cast<int>(static_cast<LONG>(wParam));
        if (chars != 0) {
            const QFontMetrics metrics(box.doc()->defaultFont());
            box.hbar()->setValue(box.hbar()->value() + chars * metrics.averageCharWidth());
        }
        return TRUE;
    }
    case EM_SCROLLCARET:
        if (box.rich)
            box.rich->ensureCursorVisible();
        else
            box.plain->ensureCursorVisible();
        return 0;
    case EM_SETREADONLY:
        box.setReadOnly(wParam != 0);
        s.style = wParam ? (s.style | ES_READONLY) : (s.style & ~DWORD(ES_READONLY));
        return TRUE;
    case EM_GETMODIFY:
        return box.doc()->isModified() ? TRUE : FALSE;
    case EM_SETMODIFY:
        box.doc()->setModified(wParam != 0);
        return 0;
    case EM_LIMITTEXT:
    case EM_EXLIMITTEXT:
        return 0; // the document grows as needed
    case WM_CLEAR: {
        // A read-only control keeps its text, as on Windows.
        const bool readOnly = box.rich ? box.rich->isReadOnly() : box.plain->isReadOnly();
        if (readOnly)
            return 0;
        QTextCursor c = box.cursor();
        c.removeSelectedText();
        box.setCursor(c);
        return 0;
    }
    case WM_COPY:
        if (box.rich)
            box.rich->copy();
        else
            box.plain->copy();
        return 0;
    default:
        break;
    }

    if (!rich) {
        handled = false;
        return 0;
    }
    switch (msg) {
    case EM_STREAMIN:
        return streamIn(s, box, wParam, reinterpret_cast<EDITSTREAM*>(lParam));
    case EM_SETCHARFORMAT: {
        if (!validCharFormat(lParam))
            return 0;
        const auto& cf = *reinterpret_cast<const CHARFORMATW*>(lParam);
        if (wParam == SCF_DEFAULT) {
            const size_t size = std::min<size_t>(cf.cbSize, sizeof(CHARFORMAT2W));
            CHARFORMAT2W merged = s.defaultFormat;
            std::memcpy(static_cast<void*>(&merged), &cf, size);
            merged.cbSize = sizeof(CHARFORMAT2W);
            merged.dwMask |= s.defaultFormat.dwMask;
            s.defaultFormat = merged;
            applyDefaultFormat(s, box);
            return TRUE;
        }
        const QTextCharFormat format = toQtFormat(cf);
        QTextCursor c = box.cursor();
        if (wParam & SCF_ALL) {
            c.select(QTextCursor::Document);
            c.mergeCharFormat(format);
        } else if (c.hasSelection()) {
            c.mergeCharFormat(format);
        } else {
            QTextCharFormat insert =
                s.insertFormat && s.insertPos == c.position() ? *s.insertFormat : c.charFormat();
            insert.merge(format);
            s.insertFormat = insert;
            s.insertPos = c.position();
        }
        return TRUE;
    }
    case EM_GETCHARFORMAT: {
        if (!validCharFormat(lParam))
            return 0;
        auto& cf = *reinterpret_cast<CHARFORMATW*>(lParam);
        const COLORREF autoColor = FromQColor(s.widget->palette().color(QPalette::Text));
        if (wParam == SCF_DEFAULT) {
            fromQtFormat(QTextCharFormat(), box.doc()->defaultFont(), autoColor, cf);
            if ((s.defaultFormat.dwMask & CFM_COLOR) &&
                !(s.defaultFormat.dwEffects & CFE_AUTOCOLOR)) {
                cf.crTextColor = s.defaultFormat.crTextColor;
                cf.dwEffects &= ~CFE_AUTOCOLOR;
            }
            cf.bCharSet = s.defaultFormat.bCharSet;
        } else {
            const QTextCursor c = box.cursor();
            QTextCharFormat f = c.charFormat();
            if (!c.hasSelection() && s.insertFormat && s.insertPos == c.position())
                f = *s.insertFormat;
            fromQtFormat(f, box.doc()->defaultFont(), autoColor, cf);
        }
        return static_cast<LRESULT>(cf.dwMask);
    }
    case EM_SETEVENTMASK: {
        const DWORD previous = s.eventMask;
        s.eventMask = static_cast<DWORD>(lParam);
        return previous;
    }
    case EM_GETEVENTMASK:
        return s.eventMask;
    case EM_SETBKGNDCOLOR: {
        QPalette palette = s.widget->palette();
        const COLORREF previous = FromQColor(palette.color(QPalette::Base));
        palette.setColor(QPalette::Base, wParam ? QApplication::palette().color(QPalette::Base)
                                                : ToQColor(static_cast<COLORREF>(lParam)));
        s.widget->setPalette(palette);
        return previous;
    }
    case EM_FINDTEXTEXW:
        return findText(box, wParam, reinterpret_cast<FINDTEXTEXW*>(lParam));
    case EM_GETTEXTRANGE: {
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
    case EM_HIDESELECTION:
        return 0;
    default:
        handled = false;
        return 0;
    }
}

// ---- Combo boxes -----------------------------------------------------------------------

void syncComboSelection(ControlState& s) {
    auto* box = qobject_cast<QComboBox*>(s.widget);
    const QSignalBlocker block(box);
    box->setCurrentIndex(s.combo.selection());
    if (box->isEditable() && s.combo.selection() < 0)
        box->setEditText(QString());
}

LRESULT comboProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    auto* box = qobject_cast<QComboBox*>(s.widget);
    const auto text = [&] {
        return std::wstring(reinterpret_cast<const wchar_t*>(lParam)
                                ? reinterpret_cast<const wchar_t*>(lParam)
                                : L"");
    };
    const auto start = static_cast<int>(static_cast<LONG>(wParam));
    switch (msg) {
    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
        const std::wstring t = text();
        const int at = msg == CB_ADDSTRING ? s.combo.add(t) : s.combo.insert(start, t);
        if (at >= 0) {
            const QSignalBlocker block(box);
            box->insertItem(at, QString::fromStdWString(t));
            syncComboSelection(s);
        }
        return at;
    }
    case CB_DELETESTRING: {
        const int left = s.combo.remove(start);
        if (left >= 0) {
            const QSignalBlocker block(box);
            box->removeItem(start);
            syncComboSelection(s);
        }
        return left;
    }
    case CB_RESETCONTENT: {
        s.combo.clear();
        const QSignalBlocker block(box);
        box->clear();
        syncComboSelection(s);
        return CB_OKAY;
    }
    case CB_GETCOUNT:
        return s.combo.count();
    case CB_GETCURSEL:
        return s.combo.selection();
    case CB_SETCURSEL: {
        const bool ok = s.combo.select(start) && start >= 0;
        syncComboSelection(s);
        return ok ? start : CB_ERR;
    }
    case CB_GETLBTEXT: {
        const std::wstring* item = s.combo.text(start);
        auto* out = reinterpret_cast<wchar_t*>(lParam);
        if (!item || !out)
            return CB_ERR;
        std::copy(item->begin(), item->end(), out);
        out[item->size()] = L'\0';
        return static_cast<LRESULT>(item->size());
    }
    case CB_GETLBTEXTLEN: {
        const std::wstring* item = s.combo.text(start);
        return item ? static_cast<LRESULT>(item->size()) : CB_ERR;
    }
    case CB_GETITEMDATA:
        return static_cast<LRESULT>(s.combo.data(start));
    case CB_SETITEMDATA:
        return s.combo.setData(start, static_cast<DWORD_PTR>(lParam)) ? CB_OKAY : CB_ERR;
    case CB_FINDSTRING:
        return s.combo.find(start, text());
    case CB_FINDSTRINGEXACT:
        return s.combo.findExact(start, text());
    case CB_SELECTSTRING: {
        const int found = s.combo.find(start, text());
        if (found >= 0) {
            s.combo.select(found);
            syncComboSelection(s);
        }
        return found;
    }
    case CB_SHOWDROPDOWN:
        if (wParam)
            box->showPopup();
        else
            box->hidePopup();
        return TRUE;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
        std::wstring current;
        if (box->isEditable())
            current = box->currentText().toStdWString();
        else if (const std::wstring* item = s.combo.text(s.combo.selection()))
            current = *item;
        return msg == WM_GETTEXTLENGTH ? static_cast<LRESULT>(current.size())
                                       : copyOut(current, wParam, lParam);
    }
    case WM_SETTEXT: {
        if (!box->isEditable())
            return CB_ERR; // a drop-down list shows only its items
        const QSignalBlocker block(box);
        box->setEditText(fromWide(reinterpret_cast<const wchar_t*>(lParam)));
        return TRUE;
    }
    default:
        handled = false;
        return 0;
    }
}

// ---- Progress bars ------------------------------------------------------------------------

void showProgress(ControlState& s) {
    auto* bar = qobject_cast<QProgressBar*>(s.widget);
    const int low = std::min(s.pbMin, s.pbMax);
    const int high = std::max(s.pbMin, s.pbMax);
    // Qt shows an empty range as a busy indicator; Windows shows an empty bar.
    bar->setRange(low, high > low ? high : low + 1);
    bar->setValue(std::clamp(s.pbPos, low, high));
}

void setProgressPos(ControlState& s, long long pos) {
    const int low = std::min(s.pbMin, s.pbMax);
    const int high = std::max(s.pbMin, s.pbMax);
    s.pbPos = static_cast<int>(std::clamp<long long>(pos, low, high));
}

LRESULT progressProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    const int previous = s.pbPos;
    switch (msg) {
    case PBM_SETRANGE:
    case PBM_SETRANGE32: {
        const LRESULT old = MAKELONG(s.pbMin, s.pbMax);
        if (msg == PBM_SETRANGE) {
            s.pbMin = LOWORD(lParam);
            s.pbMax = HIWORD(lParam);
        } else {
            s.pbMin = static_cast<int>(static_cast<INT>(wParam));
            s.pbMax = static_cast<int>(static_cast<INT>(lParam));
        }
        setProgressPos(s, s.pbPos);
        showProgress(s);
        return old;
    }
    case PBM_GETRANGE: {
        if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) {
            range->iLow = s.pbMin;
            range->iHigh = s.pbMax;
        }
        return wParam ? s.pbMin : s.pbMax;
    }
    case PBM_SETPOS:
        setProgressPos(s, static_cast<INT>(wParam));
        showProgress(s);
        return previous;
    case PBM_DELTAPOS:
        setProgressPos(s, static_cast<long long>(s.pbPos) + static_cast<INT>(wParam));
        showProgress(s);
        return previous;
    case PBM_SETSTEP: {
        const int old = s.pbStep;
        s.pbStep = static_cast<INT>(wParam);
        return old;
    }
    case PBM_STEPIT: {
        // Past either end the bar starts over from the other, carrying the
        // overshoot, as Windows does.
        const long long low = std::min(s.pbMin, s.pbMax);
        const long long high = std::max(s.pbMin, s.pbMax);
        long long pos = static_cast<long long>(s.pbPos) + s.pbStep;
        if ((pos > high || pos < low) && high > low) {
            pos = low + (pos - low) % (high - low);
            if (pos < low)
                pos += high - low;
        }
        setProgressPos(s, pos);
        showProgress(s);
        return previous;
    }
    case PBM_GETPOS:
        return s.pbPos;
    case PBM_SETBARCOLOR: {
        const COLORREF old = s.pbColor;
        s.pbColor = static_cast<COLORREF>(lParam);
        QPalette palette = s.widget->palette();
        palette.setColor(QPalette::Highlight,
                         s.pbColor == 0xFF000000u
                             ? QApplication::palette().color(QPalette::Highlight)
                             : ToQColor(s.pbColor));
        s.widget->setPalette(palette);
        return old;
    }
    default:
        handled = false;
        return 0;
    }
}

// ---- Buttons ----------------------------------------------------------------------------------

bool checksItself(DWORD style) {
    const DWORD type = style & BS_TYPEMASK;
    return type == BS_AUTOCHECKBOX || type == BS_AUTO3STATE || type == BS_AUTORADIOBUTTON;
}

void setCheck(QAbstractButton* button, int state) {
    const QSignalBlocker block(button);
    if (auto* box = qobject_cast<QCheckBox*>(button)) {
        box->setCheckState(state == BST_CHECKED         ? Qt::Checked
                           : state == BST_INDETERMINATE ? Qt::PartiallyChecked
                                                        : Qt::Unchecked);
    } else if (button->isCheckable()) {
        button->setChecked(state == BST_CHECKED);
    }
}

int getCheck(const QAbstractButton* button) {
    if (const auto* box = qobject_cast<const QCheckBox*>(button)) {
        switch (box->checkState()) {
        case Qt::Checked:
            return BST_CHECKED;
        case Qt::PartiallyChecked:
            return BST_INDETERMINATE;
        default:
            return BST_UNCHECKED;
        }
    }
    return button->isCheckable() && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

LRESULT buttonProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    handled = true;
    auto* button = qobject_cast<QAbstractButton*>(s.widget);
    if (!button) { // a group box
        handled = msg == BM_GETCHECK || msg == BM_SETCHECK || msg == BM_CLICK;
        return 0;
    }
    switch (msg) {
    case BM_GETCHECK:
        return getCheck(button);
    case BM_SETCHECK:
        s.manualCheck = static_cast<int>(wParam);
        setCheck(button, static_cast<int>(wParam));
        return 0;
    case BM_CLICK:
        button->click();
        return 0;
    case BM_GETSTATE:
        return getCheck(button) | (button->isDown() ? BST_PUSHED : 0) |
               (button->hasFocus() ? BST_FOCUS : 0);
    case BM_SETSTATE:
        button->setDown(wParam != 0);
        return 0;
    case BM_SETSTYLE:
        s.style = (s.style & ~0xFFFFu) | static_cast<DWORD>(wParam & 0xFFFF);
        if (auto* push = qobject_cast<QPushButton*>(button))
            push->setDefault((wParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
        return 0;
    default:
        handled = false;
        return 0;
    }
}

// ---- Text common to all kinds --------------------------------------------------------------

std::wstring widgetText(ControlState& s) {
    QWidget* w = s.widget;
    if (s.originalText)
        return s.originalText->toStdWString();
    if (auto* label = qobject_cast<QLabel*>(w))
        return label->text().toStdWString();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text().toStdWString();
    if (auto* group = qobject_cast<QGroupBox*>(w))
        return group->title().toStdWString();
    if (auto* line = qobject_cast<QLineEdit*>(w))
        return line->text().toStdWString();
    TextBox box(w);
    if (box.valid()) {
        std::wstring text = box.text();
        if (s.kind == Kind::Edit) { // an edit control's lines end in CR LF
            std::wstring crlf;
            crlf.reserve(text.size() + text.size() / 16);
            for (const wchar_t c : text) {
                crlf += c;
                if (c == L'\r')
                    crlf += L'\n';
            }
            return crlf;
        }
        return text;
    }
    return w->windowTitle().toStdWString();
}

void setWidgetText(ControlState& s, const wchar_t* raw) {
    QWidget* w = s.widget;
    const QString text = fromWide(raw);
    s.originalText.reset();
    if (auto* label = qobject_cast<QLabel*>(w)) {
        s.originalText = text;
        label->setText((s.style & SS_NOPREFIX) ? text : withoutMnemonics(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(withoutMnemonics(text));
    } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
        line->setText(normaliseBreaks(text).remove(u'\n'));
    } else if (TextBox box(w); box.valid()) {
        if (box.rich)
            box.rich->setPlainText(normaliseBreaks(text));
        else
            box.plain->setPlainText(normaliseBreaks(text));
        s.insertFormat.reset();
        if (s.kind == Kind::RichEdit)
            applyDefaultFormat(s, box);
    } else {
        w->setWindowTitle(text);
    }
}

LRESULT commonProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    switch (msg) {
    case WM_SETTEXT:
        setWidgetText(s, reinterpret_cast<const wchar_t*>(lParam));
        return TRUE;
    case WM_GETTEXT:
        return copyOut(widgetText(s), wParam, lParam);
    case WM_GETTEXTLENGTH:
        if (TextBox box(s.widget); box.valid() && s.kind == Kind::RichEdit)
            return box.length(); // what positions count, without copying the text
        return static_cast<LRESULT>(widgetText(s).size());
    case WM_SETFONT: {
        s.font = reinterpret_cast<HFONT>(wParam);
        if (const auto font = FontFromHandle(s.font))
            s.widget->setFont(*font);
        return 0;
    }
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(s.font);
    default:
        handled = false;
        return 0;
    }
}

Kind kindOf(QWidget* widget, std::wstring_view className) {
    if (EqualsNoCase(className, L"RichEdit20A") || EqualsNoCase(className, L"RichEdit20W") ||
        EqualsNoCase(className, L"RICHEDIT50W") || EqualsNoCase(className, L"RichEdit"))
        return qobject_cast<QTextEdit*>(widget) ? Kind::RichEdit : Kind::Edit;
    if (qobject_cast<QComboBox*>(widget))
        return Kind::Combo;
    if (qobject_cast<QProgressBar*>(widget))
        return Kind::Progress;
    if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QGroupBox*>(widget))
        return Kind::Button;
    if (qobject_cast<QLineEdit*>(widget) || qobject_cast<QPlainTextEdit*>(widget))
        return Kind::Edit;
    if (qobject_cast<QTextEdit*>(widget))
        return Kind::RichEdit;
    if (qobject_cast<QLabel*>(widget) || EqualsNoCase(className, L"Static"))
        return Kind::Static;
    return Kind::Other;
}

void connectNotifications(ControlState* s) {
    QWidget* w = s->widget;
    switch (s->kind) {
    case Kind::Button:
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            QObject::connect(button, &QAbstractButton::clicked, s, [s, button] {
                if (!checksItself(s->style) &&
                    (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button)))
                    setCheck(button, s->manualCheck); // only the owner changes the mark
                notifyParent(*s, BN_CLICKED);
            });
        }
        break;
    case Kind::Combo:
        if (auto* box = qobject_cast<QComboBox*>(w)) {
            // Only the user's choices are notified; the list follows every change.
            QObject::connect(box, &QComboBox::currentIndexChanged, s,
                             [s](int index) { s->combo.select(index); });
            QObject::connect(box, &QComboBox::activated, s, [s](int index) {
                s->combo.select(index);
                notifyParent(*s, CBN_SELCHANGE);
            });
        }
        break;
    case Kind::Edit:
        if (auto* line = qobject_cast<QLineEdit*>(w))
            QObject::connect(line, &QLineEdit::textChanged, s,
                             [s] { notifyParent(*s, EN_CHANGE); });
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
            QObject::connect(plain, &QPlainTextEdit::textChanged, s,
                             [s] { notifyParent(*s, EN_CHANGE); });
        break;
    case Kind::RichEdit:
        if (auto* rich = qobject_cast<QTextEdit*>(w))
            QObject::connect(rich, &QTextEdit::textChanged, s, [s] {
                if (s->eventMask & ENM_CHANGE)
                    notifyParent(*s, EN_CHANGE);
            });
        break;
    case Kind::Static:
        w->installEventFilter(s);
        break;
    default:
        break;
    }
}

} // namespace

LRESULT ControlWindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    ControlState* s = stateOf(hWnd);
    if (!s || !s->widget)
        return DefWindowProcW(hWnd, msg, wParam, lParam);
    bool handled = false;
    LRESULT result = 0;
    switch (s->kind) {
    case Kind::Combo:
        result = comboProc(*s, msg, wParam, lParam, handled);
        break;
    case Kind::Progress:
        result = progressProc(*s, msg, wParam, lParam, handled);
        break;
    case Kind::Button:
        result = buttonProc(*s, msg, wParam, lParam, handled);
        break;
    case Kind::Edit:
    case Kind::RichEdit:
        result = richOrEditProc(*s, msg, wParam, lParam, handled);
        break;
    default:
        break;
    }
    if (handled)
        return result;
    result = commonProc(*s, msg, wParam, lParam, handled);
    if (handled)
        return result;
    if (msg == WM_NCDESTROY) {
        // The handle ends here; the widget (and this state) may live on a little.
        WNDPROC previous = s->previous;
        registry().erase(hWnd);
        s->hwnd = nullptr;
        return previous ? previous(hWnd, msg, wParam, lParam)
                        : DefWindowProcW(hWnd, msg, wParam, lParam);
    }
    return s->previous ? s->previous(hWnd, msg, wParam, lParam)
                       : DefWindowProcW(hWnd, msg, wParam, lParam);
}

void AttachControl(HWND control, QWidget* widget, std::wstring_view className, DWORD style) {
    if (!control || !widget || !IsWindow(control))
        return;
    if (ControlState* old = stateOf(control)) {
        registry().erase(control);
        old->hwnd = nullptr;
        delete old; // its connections and filter go with it
    }
    auto* s = new ControlState;
    s->setParent(widget);
    s->hwnd = control;
    s->widget = widget;
    s->kind = kindOf(widget, className);
    s->style = style;
    registry()[control] = s;
    WNDPROC previous = SetWindowProcedure(control, ControlWindowProc);
    s->previous = previous == ControlWindowProc ? nullptr : previous;

    switch (s->kind) {
    case Kind::Combo: {
        auto* box = qobject_cast<QComboBox*>(widget);
        s->combo.setSorted((style & CBS_SORT) != 0);
        const DWORD type = style & 0x3;
        box->setEditable(type == CBS_SIMPLE || type == CBS_DROPDOWN);
        for (int i = 0; i < box->count(); ++i)
            s->combo.insert(-1, box->itemText(i).toStdWString());
        syncComboSelection(*s);
        break;
    }
    case Kind::Progress: {
        auto* bar = qobject_cast<QProgressBar*>(widget);
        s->pbMin = bar->minimum();
        s->pbMax = bar->maximum();
        s->pbPos = std::max(bar->value(), s->pbMin);
        showProgress(*s);
        break;
    }
    case Kind::Button:
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            s->manualCheck = getCheck(button);
        break;
    case Kind::RichEdit: {
        // A rich edit starts with the system font in the window text colour.
        s->defaultFormat.cbSize = sizeof(CHARFORMAT2W);
        auto* rich = qobject_cast<QTextEdit*>(widget);
        rich->setAcceptRichText(false);
        rich->setTabChangesFocus(true);
        rich->document()->setDocumentMargin(2);
        break;
    }
    default:
        break;
    }
    connectNotifications(s);
}

QWidget* ControlWidget(HWND control) {
    ControlState* s = stateOf(control);
    return s ? s->widget.data() : nullptr;
}

} // namespace zx
