// Edit controls: single-line edits over QLineEdit, and the messages that
// multi-line edits (QPlainTextEdit) and rich edits (QTextEdit) share.
// Positions count every paragraph end as one character and lines are
// paragraphs: the same text gives the same line numbers whatever the
// control's width.
#include "platform/ControlState.h"
#include "platform/TextBox.h"
#include "platform/rc/zxres.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QValidator>

#include <algorithm>

namespace zx {
namespace {

// The low and high words of EM_GETSEL's answer, and the DWORDs it fills in.
LRESULT AnswerSelection(int start, int end, WPARAM wParam, LPARAM lParam) {
    if (wParam)
        *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(start);
    if (lParam)
        *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(end);
    return (start > 0xFFFF || end > 0xFFFF) ? -1 : MAKELONG(start, end);
}

// EM_GETLINE: the caller puts the buffer's size in its first element (a WORD
// on Windows: only those bits are read); the line is not terminated.
LRESULT CopyLine(const std::wstring& text, LPARAM lParam) {
    auto* out = reinterpret_cast<wchar_t*>(lParam);
    if (!out)
        return 0;
    const size_t max = static_cast<size_t>(out[0]) & 0xFFFF;
    const size_t n = std::min(max, text.size());
    std::copy_n(text.data(), n, out);
    return static_cast<LRESULT>(n);
}

void SetReadOnlyStyle(ControlState& s, bool on) {
    s.style = on ? (s.style | ES_READONLY) : (s.style & ~DWORD(ES_READONLY));
}

// ---- Single-line edits ----------------------------------------------------------

// The limit on typing. QLineEdit's own maximum length would also cut what
// the program sets, so the control's is kept here: an edit that makes the
// text longer than the limit is refused, as Windows refuses the keystroke.
class LimitValidator final : public QValidator {
public:
    LimitValidator(ControlState& s, QLineEdit* line) : QValidator(line), m_state(s) {}

    // The line edit holds the candidate text already while it asks; the
    // length before it is the one its last change reported.
    State validate(QString& input, int&) const override {
        const auto length = static_cast<DWORD>(input.size());
        if (length > m_state.edit.limit && input.size() > m_state.edit.lineLength)
            return Invalid;
        return Acceptable;
    }

private:
    ControlState& m_state;
};

// EM_LIMITTEXT's wParam; 0 lifts the limit as far as the control goes.
DWORD LimitFrom(WPARAM wParam, DWORD most) {
    return wParam == 0 ? most : static_cast<DWORD>(std::min<WPARAM>(wParam, most));
}

void SetLineSelection(QLineEdit* line, LONG start, LONG end) {
    if (start == -1) {
        line->deselect();
        return;
    }
    const int len = static_cast<int>(line->text().size());
    const int a = start < 0 || start > len ? len : static_cast<int>(start);
    const int b = end < 0 || end > len ? len : static_cast<int>(end);
    line->setSelection(a, b - a);
}

LRESULT LineEditProc(ControlState& s, QLineEdit* line, UINT msg, WPARAM wParam, LPARAM lParam,
                     bool& handled) {
    switch (msg) {
    case EM_GETSEL: {
        const int start = line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
        const int end = line->hasSelectedText() ? line->selectionEnd() : start;
        return AnswerSelection(start, end, wParam, lParam);
    }
    case EM_SETSEL:
        SetLineSelection(line, static_cast<LONG>(wParam), static_cast<LONG>(lParam));
        return 0;
    case EM_REPLACESEL: {
        QString text = NormaliseBreaks(FromWide(reinterpret_cast<const wchar_t*>(lParam)));
        text.remove(u'\n');
        // As much as the limit leaves room for.
        const qsizetype kept = line->text().size() - line->selectedText().size();
        const qsizetype room = std::max<qsizetype>(0, qsizetype(s.edit.limit) - kept);
        line->insert(text.left(room));
        return 0;
    }
    case EM_SETREADONLY:
        line->setReadOnly(wParam != 0);
        SetReadOnlyStyle(s, wParam != 0);
        return TRUE;
    case EM_GETLINECOUNT:
        return 1;
    case EM_LINEINDEX:
        return static_cast<LONG>(wParam) <= 0 ? 0 : -1;
    case EM_LINEFROMCHAR:
        return 0;
    case EM_LINELENGTH:
        return line->text().size();
    case EM_GETLINE:
        return wParam != 0 ? 0 : CopyLine(line->text().toStdWString(), lParam);
    case EM_LIMITTEXT:
        s.edit.limit = LimitFrom(wParam, 0x7FFFFFFE);
        return 0;
    case EM_GETLIMITTEXT:
        return s.edit.limit;
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

// ---- Multi-line edits and rich edits -----------------------------------------------

int LineOf(const TextBox& box, int pos) {
    return box.doc()->findBlock(box.clamp(pos)).blockNumber();
}

LRESULT LineIndex(const TextBox& box, WPARAM line) {
    int n = static_cast<int>(static_cast<LONG>(line));
    if (n == -1)
        n = LineOf(box, box.cursor().position());
    const QTextBlock block = box.doc()->findBlockByNumber(n);
    return block.isValid() ? block.position() : -1;
}

std::wstring LineText(const TextBox& box, int n, bool withEnd) {
    const QTextBlock block = box.doc()->findBlockByNumber(n);
    if (!block.isValid())
        return {};
    std::wstring text = block.text().toStdWString();
    if (withEnd && block.next().isValid())
        text += L'\r';
    return text;
}

void SetSelection(const TextBox& box, LONG start, LONG end) {
    QTextCursor cursor = box.cursor();
    if (start == -1) { // remove the selection, keep the caret
        cursor.clearSelection();
    } else {
        cursor.setPosition(box.clamp(start));
        cursor.setPosition(box.clamp(end), QTextCursor::KeepAnchor);
    }
    box.setCursor(cursor);
}

void ReplaceSelection(ControlState& s, const TextBox& box, const wchar_t* text) {
    QTextCursor cursor = box.cursor();
    QTextCharFormat format = cursor.charFormat();
    RichEditState& rich = s.rich;
    if (!cursor.hasSelection() && rich.insertFormat && rich.insertPos == cursor.position())
        format = *rich.insertFormat;
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    cursor.insertText(NormaliseBreaks(FromWide(text)), format);
    cursor.endEditBlock();
    box.setCursor(cursor);
    rich.insertFormat.reset();
}

LRESULT OnExGetSel(const TextBox& box, LPARAM lParam) {
    if (auto* range = reinterpret_cast<CHARRANGE*>(lParam)) {
        const QTextCursor c = box.cursor();
        range->cpMin = c.selectionStart();
        range->cpMax = c.selectionEnd();
    }
    return 0;
}

LRESULT OnExSetSel(const TextBox& box, LPARAM lParam) {
    const auto* range = reinterpret_cast<const CHARRANGE*>(lParam);
    if (!range)
        return 0;
    SetSelection(box, range->cpMin, range->cpMax);
    return box.cursor().selectionEnd();
}

LRESULT OnLineFromChar(const TextBox& box, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto pos =
        static_cast<LONG>(msg == EM_EXLINEFROMCHAR ? lParam : static_cast<LPARAM>(wParam));
    if (pos < 0)
        return LineOf(box, box.cursor().selectionStart());
    return LineOf(box, pos);
}

LRESULT OnLineLength(const TextBox& box, WPARAM wParam) {
    const auto pos = static_cast<LONG>(wParam);
    const QTextBlock block =
        box.doc()->findBlock(pos < 0 ? box.cursor().position() : box.clamp(pos));
    return block.isValid() ? block.length() - 1 : 0;
}

LRESULT OnFirstVisibleLine(const TextBox& box) {
    const QTextCursor top = box.rich ? box.rich->cursorForPosition(QPoint(0, 0))
                                     : box.plain->cursorForPosition(QPoint(0, 0));
    return top.blockNumber();
}

LRESULT OnLineScroll(const TextBox& box, WPARAM wParam, LPARAM lParam) {
    const auto lines = static_cast<int>(static_cast<LONG>(lParam));
    const QFontMetrics metrics(box.doc()->defaultFont());
    if (box.plain)
        box.vbar()->setValue(box.vbar()->value() + lines);
    else
        box.vbar()->setValue(box.vbar()->value() + lines * metrics.lineSpacing());
    const auto chars = static_cast<int>(static_cast<LONG>(wParam));
    if (chars != 0)
        box.hbar()->setValue(box.hbar()->value() + chars * metrics.averageCharWidth());
    return TRUE;
}

LRESULT OnClear(const TextBox& box) {
    // A read-only control keeps its text, as on Windows.
    if (box.isReadOnly())
        return 0;
    QTextCursor c = box.cursor();
    c.removeSelectedText();
    box.setCursor(c);
    return 0;
}

LRESULT TextBoxProc(ControlState& s, const TextBox& box, UINT msg, WPARAM wParam, LPARAM lParam,
                    bool& handled) {
    switch (msg) {
    case EM_GETSEL: {
        const QTextCursor c = box.cursor();
        return AnswerSelection(c.selectionStart(), c.selectionEnd(), wParam, lParam);
    }
    case EM_SETSEL:
        SetSelection(box, static_cast<LONG>(wParam), static_cast<LONG>(lParam));
        return 0;
    case EM_EXGETSEL:
        return OnExGetSel(box, lParam);
    case EM_EXSETSEL:
        return OnExSetSel(box, lParam);
    case EM_REPLACESEL:
        ReplaceSelection(s, box, reinterpret_cast<const wchar_t*>(lParam));
        return 0;
    case EM_GETLINECOUNT:
        return box.doc()->blockCount();
    case EM_LINEINDEX:
        return LineIndex(box, wParam);
    case EM_LINEFROMCHAR:
    case EM_EXLINEFROMCHAR:
        return OnLineFromChar(box, msg, wParam, lParam);
    case EM_LINELENGTH:
        return OnLineLength(box, wParam);
    case EM_GETLINE:
        return CopyLine(LineText(box, static_cast<int>(static_cast<LONG>(wParam)),
                                 s.kind == ControlKind::RichEdit),
                        lParam);
    case EM_GETFIRSTVISIBLELINE:
        return OnFirstVisibleLine(box);
    case EM_LINESCROLL:
        return OnLineScroll(box, wParam, lParam);
    case EM_SCROLLCARET:
        if (box.rich)
            box.rich->ensureCursorVisible();
        else
            box.plain->ensureCursorVisible();
        return 0;
    case EM_SETREADONLY:
        box.setReadOnly(wParam != 0);
        SetReadOnlyStyle(s, wParam != 0);
        return TRUE;
    case EM_GETMODIFY:
        return box.doc()->isModified() ? TRUE : FALSE;
    case EM_SETMODIFY:
        box.doc()->setModified(wParam != 0);
        return 0;
    case EM_LIMITTEXT:
        if (s.kind == ControlKind::Edit)
            s.edit.limit = LimitFrom(wParam, 0xFFFFFFFF);
        return 0;
    case EM_GETLIMITTEXT:
        return s.edit.limit;
    case EM_EXLIMITTEXT:
        return 0; // a rich edit's document grows as needed
    case WM_CLEAR:
        return OnClear(box);
    case WM_COPY:
        if (box.rich)
            box.rich->copy();
        else
            box.plain->copy();
        return 0;
    default:
        handled = false;
        return 0;
    }
}

// A multi-line edit's length as its limit counts it: CR LF at each line end.
DWORD LimitedLength(const QTextDocument* doc) {
    return static_cast<DWORD>(std::max(0, doc->characterCount() - 1) + doc->blockCount() - 1);
}

// What the user added past the limit of a multi-line edit is taken back at
// once: QPlainTextEdit has no hook to refuse it beforehand.
void TakeBackPastLimit(ControlState& s, QPlainTextEdit* plain, int position, int removed,
                       int added) {
    if (s.edit.settingText || s.edit.rejecting || added <= removed)
        return;
    QTextDocument* doc = plain->document();
    const DWORD length = LimitedLength(doc);
    if (length <= s.edit.limit)
        return;
    const int excess = static_cast<int>(std::min<DWORD>(length - s.edit.limit, DWORD(added)));
    QTextCursor cursor(doc);
    cursor.setPosition(position + added - excess);
    cursor.setPosition(position + added, QTextCursor::KeepAnchor);
    s.edit.rejecting = true;
    cursor.removeSelectedText();
    s.edit.rejecting = false;
    // Nothing changed when the whole addition went.
    s.edit.swallowChange = excess == added && removed == 0;
}

} // namespace

LRESULT EditProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
    handled = true;
    if (auto* line = qobject_cast<QLineEdit*>(s.widget))
        return LineEditProc(s, line, msg, wParam, lParam, handled);
    const TextBox box(s.widget);
    if (!box.valid()) {
        handled = false;
        return 0;
    }
    return TextBoxProc(s, box, msg, wParam, lParam, handled);
}

bool TextBoxText(ControlState& s, std::wstring& text) {
    const TextBox box(s.widget);
    if (!box.valid())
        return false;
    text = box.text();
    {
        // WM_GETTEXT ends every line in CR LF, a rich edit's paragraphs too,
        // though its positions count each paragraph end as one character.
        std::wstring crlf;
        crlf.reserve(text.size() + text.size() / 16);
        for (const wchar_t c : text) {
            crlf += c;
            if (c == L'\r')
                crlf += L'\n';
        }
        text = std::move(crlf);
    }
    return true;
}

bool SetTextBoxText(ControlState& s, const QString& text) {
    const TextBox box(s.widget);
    if (!box.valid())
        return false;
    if (box.rich) {
        box.rich->setPlainText(NormaliseBreaks(text));
    } else {
        // A multi-line edit reports no EN_CHANGE for WM_SETTEXT, as on
        // Windows; like the single-line one it leaves the caret at the start.
        s.edit.settingText = true;
        box.plain->setPlainText(NormaliseBreaks(text));
        s.edit.settingText = false;
        box.plain->moveCursor(QTextCursor::Start);
    }
    s.rich.insertFormat.reset();
    if (s.kind == ControlKind::RichEdit)
        ApplyDefaultFormat(s, box);
    return true;
}

void AttachEdit(ControlState& s) {
    ControlState* state = &s;
    if (auto* line = qobject_cast<QLineEdit*>(s.widget)) {
        line->setMaxLength(0x7FFFFFFE);
        line->setValidator(new LimitValidator(s, line));
        s.edit.lineLength = line->text().size();
        QObject::connect(line, &QLineEdit::textChanged, state, [state](const QString& text) {
            state->edit.lineLength = text.size();
            NotifyParent(*state, EN_UPDATE);
            NotifyParent(*state, EN_CHANGE);
        });
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(s.widget)) {
        QObject::connect(plain->document(), &QTextDocument::contentsChange, state,
                         [state, plain](int position, int removed, int added) {
                             TakeBackPastLimit(*state, plain, position, removed, added);
                         });
        QObject::connect(plain, &QPlainTextEdit::textChanged, state, [state] {
            if (state->edit.rejecting)
                return;
            if (state->edit.swallowChange) {
                state->edit.swallowChange = false;
                return;
            }
            NotifyParent(*state, EN_UPDATE);
            if (!state->edit.settingText)
                NotifyParent(*state, EN_CHANGE);
        });
    }
}

} // namespace zx
