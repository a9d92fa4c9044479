#pragma once
// TextBox: the multi-line edit and the rich edit, which share one document
// model (internal to the window system). Positions count every paragraph end
// as one character and lines are paragraphs.

#include "platform/WinTypes.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>
#include <string>

namespace zx {

struct ControlState;

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
    bool isReadOnly() const { return rich ? rich->isReadOnly() : plain->isReadOnly(); }
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

// The rich edit's default character format applied to its document: its font
// and the colour of runs that carry no colour of their own.
void ApplyDefaultFormat(ControlState& s, const TextBox& box);

} // namespace zx
