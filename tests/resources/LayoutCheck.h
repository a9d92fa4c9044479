#pragma once
// What a reviewer checks on a rendered dialog: every visible control inside
// the dialog, no two controls on top of each other (group boxes and a
// background picture hold others by design), and every text fitting its
// control.

#include "platform/DialogBuilder.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <string>
#include <vector>

namespace zxtest {

inline QString controlName(const QWidget* w) {
    const QRect r = w->geometry();
    return QStringLiteral("%1 %2 at %3,%4 %5x%6")
        .arg(QString::fromLatin1(w->metaObject()->className()))
        .arg(zx::DialogBuilder::controlId(w))
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height());
}

// The text of a control that does not fit it, or an empty string.
inline QString clippedText(const QWidget* w) {
    const QFontMetrics fm(w->font());
    if (const auto* label = qobject_cast<const QLabel*>(w)) {
        if (label->text().isEmpty()) {
            return {};
        }
        const QRect need = label->wordWrap() ? fm.boundingRect(QRect(0, 0, w->width(), 100000),
                                                               Qt::TextWordWrap, label->text())
                                             : fm.boundingRect(label->text());
        return need.width() <= w->width() && need.height() <= w->height() ? QString()
                                                                          : label->text();
    }
    if (const auto* button = qobject_cast<const QPushButton*>(w)) {
        return fm.horizontalAdvance(button->text()) + 8 <= w->width() ? QString() : button->text();
    }
    if (const auto* check = qobject_cast<const QCheckBox*>(w)) {
        return check->sizeHint().width() <= w->width() ? QString() : check->text();
    }
    return {};
}

// slack: pixels a control may reach past the dialog's right and bottom edges
// (a template may make a control a unit larger than the dialog it fills).
inline std::string layoutProblems(const QWidget* dialog, int slack = 0) {
    std::string problems;
    std::vector<const QWidget*> shown;
    for (QObject* child : dialog->children()) {
        const auto* w = qobject_cast<const QWidget*>(child);
        if (!w || w->isHidden()) {
            continue;
        }
        if (!dialog->rect().adjusted(0, 0, slack, slack).contains(w->geometry())) {
            problems += "outside the dialog: " + controlName(w).toStdString() + "\n";
        }
        const QString clipped = clippedText(w);
        if (!clipped.isEmpty()) {
            problems += "text does not fit: " + controlName(w).toStdString() + " \"" +
                        clipped.toStdString() + "\"\n";
        }
        // Group boxes and background pictures hold other controls by design
        // (a static covering most of the window is its background picture).
        const bool background =
            qobject_cast<const QLabel*>(w) &&
            w->width() * w->height() * 4 >= dialog->width() * dialog->height() * 3;
        if (!qobject_cast<const QGroupBox*>(w) && !background) {
            shown.push_back(w);
        }
    }
    for (size_t i = 0; i < shown.size(); ++i) {
        for (size_t j = i + 1; j < shown.size(); ++j) {
            if (shown[i]->geometry().intersects(shown[j]->geometry())) {
                problems += "overlap: " + controlName(shown[i]).toStdString() + " and " +
                            controlName(shown[j]).toStdString() + "\n";
            }
        }
    }
    return problems;
}

} // namespace zxtest
