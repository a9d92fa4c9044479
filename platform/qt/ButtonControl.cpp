// Buttons: push buttons, check boxes, radio buttons and group boxes.
#include "platform/ControlState.h"
#include "platform/rc/zxres.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace zx {
namespace {

bool ChecksItself(DWORD style) {
    const DWORD type = style & BS_TYPEMASK;
    return type == BS_AUTOCHECKBOX || type == BS_AUTO3STATE || type == BS_AUTORADIOBUTTON;
}

void SetCheck(QAbstractButton* button, int state) {
    const QSignalBlocker block(button);
    if (auto* box = qobject_cast<QCheckBox*>(button)) {
        box->setCheckState(state == BST_CHECKED         ? Qt::Checked
                           : state == BST_INDETERMINATE ? Qt::PartiallyChecked
                                                        : Qt::Unchecked);
    } else if (button->isCheckable()) {
        button->setChecked(state == BST_CHECKED);
    }
}

int GetCheck(const QAbstractButton* button) {
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

} // namespace

LRESULT ButtonProc(ControlState& s, UINT msg, WPARAM wParam, LPARAM, bool& handled) {
    handled = true;
    auto* button = qobject_cast<QAbstractButton*>(s.widget);
    if (!button) { // a group box
        handled = msg == BM_GETCHECK || msg == BM_SETCHECK || msg == BM_CLICK;
        return 0;
    }
    switch (msg) {
    case BM_GETCHECK:
        return GetCheck(button);
    case BM_SETCHECK:
        s.button.manualCheck = static_cast<int>(wParam);
        SetCheck(button, static_cast<int>(wParam));
        return 0;
    case BM_CLICK:
        button->click();
        return 0;
    case BM_GETSTATE:
        return GetCheck(button) | (button->isDown() ? BST_PUSHED : 0) |
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

void AttachButton(ControlState& s) {
    auto* button = qobject_cast<QAbstractButton*>(s.widget);
    if (!button)
        return; // a group box tells no one anything
    s.button.manualCheck = GetCheck(button);
    ControlState* state = &s;
    QObject::connect(button, &QAbstractButton::clicked, state, [state, button] {
        if (!ChecksItself(state->style) &&
            (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button)))
            SetCheck(button, state->button.manualCheck); // only the owner changes the mark
        NotifyParent(*state, BN_CLICKED);
    });
}

} // namespace zx
