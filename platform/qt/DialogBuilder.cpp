#include "platform/DialogBuilder.h"

#include "platform/ControlState.h"

#include "platform/FontRegistry.h"
#include "platform/ResourceImages.h"
#include "platform/WidgetHandles.h"
#include "platform/rc/zxres.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTextDocument>
#include <QTextEdit>

namespace zx {

namespace {

constexpr const char* kIdProperty = "zxControlId";

int MulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

// Windows shows '&' as an underline of the next letter and "&&" as '&'; Qt
// reads the same mnemonics on buttons but not on labels.
QString LabelText(const std::wstring& text) {
    QString out;
    const QString in = QString::fromStdWString(text);
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == u'&' && i + 1 < in.size()) {
            ++i;
        }
        out += in[i];
    }
    return out;
}

// Windows' group box: an etched frame whose top line runs through the middle
// of the title, with nothing filled inside.
class GroupFrame : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const QRect frame = rect().adjusted(0, metrics.height() / 2, -1, -1);
        QRect titleRect;
        if (!title().isEmpty()) {
            // One average character in; measured, since some faces (Wine's
            // MS Sans Serif) report no usable average width of their own.
            const int indent = FontRegistry::baseUnits(font()).width() + 2;
            titleRect = QRect(indent, 0, metrics.horizontalAdvance(title()) + 4, metrics.height());
        }
        // The frame's top line stops on either side of the title, and every
        // control it frames is drawn over its lines: the first control of a
        // template is on top, so a group box listed before its controls
        // would otherwise cover them.
        QRegion lines = QRegion(rect()).subtracted(titleRect);
        if (parentWidget()) {
            for (QObject* child : parentWidget()->children()) {
                auto* sibling = qobject_cast<QWidget*>(child);
                if (sibling && sibling != this && sibling->isVisible() &&
                    !qobject_cast<QGroupBox*>(sibling)) {
                    lines -= sibling->geometry().translated(-pos());
                }
            }
        }
        painter.setClipRegion(lines);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(frame.adjusted(0, 0, -1, -1));
        painter.setPen(palette().color(QPalette::Light));
        painter.drawRect(frame.adjusted(1, 1, 0, 0));
        if (!titleRect.isNull()) {
            painter.setClipping(false);
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(titleRect, Qt::AlignCenter, title());
        }
    }
};

// A check box or radio button takes a click anywhere on its rectangle, as on
// Windows, not only on its mark and text.
template <class Button> class WholeRectButton : public Button {
public:
    using Button::Button;

protected:
    bool hitButton(const QPoint& pos) const override { return this->rect().contains(pos); }
};

// The height of a combo box's edit field: one line of the dialog's font,
// as Windows draws a closed drop-down.
int ComboEditHeight(const QFont& font) {
    return FontRegistry::baseUnits(font).height() + 8;
}

QString ItemText(const DialogItem& item) {
    return item.title.isString() ? QString::fromStdWString(item.title.text) : QString();
}

QWidget* MakeButton(const DialogItem& item, QWidget* parent) {
    const QString text = ItemText(item);
    switch (item.style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE: {
        auto* box = new WholeRectButton<QCheckBox>(text, parent);
        box->setTristate((item.style & BS_TYPEMASK) == BS_3STATE ||
                         (item.style & BS_TYPEMASK) == BS_AUTO3STATE);
        return box;
    }
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
        return new WholeRectButton<QRadioButton>(text, parent);
    case BS_GROUPBOX:
        return new GroupFrame(LabelText(item.title.text), parent);
    default: {
        auto* button = new QPushButton(text, parent);
        button->setDefault((item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
        button->setAutoDefault(false);
        return button;
    }
    }
}

QWidget* MakeStatic(const DialogItem& item, QWidget* parent, HMODULE resources) {
    const DWORD type = item.style & SS_TYPEMASK;
    switch (type) {
    case SS_BLACKFRAME:
    case SS_GRAYFRAME:
    case SS_WHITEFRAME:
    case SS_ETCHEDFRAME: {
        auto* frame = new QFrame(parent);
        frame->setFrameShape(QFrame::Box);
        frame->setFrameShadow(type == SS_ETCHEDFRAME ? QFrame::Sunken : QFrame::Plain);
        return frame;
    }
    case SS_BLACKRECT:
    case SS_GRAYRECT:
    case SS_WHITERECT: {
        auto* rect = new QFrame(parent);
        rect->setAutoFillBackground(true);
        QPalette pal = rect->palette();
        pal.setColor(QPalette::Window, type == SS_BLACKRECT  ? Qt::black
                                       : type == SS_GRAYRECT ? Qt::gray
                                                             : Qt::white);
        rect->setPalette(pal);
        return rect;
    }
    case SS_BITMAP:
    case SS_ICON: {
        // The picture comes from the module the template was read from.
        auto* picture = new QLabel(parent);
        QImage image;
        if (item.title.isOrdinal()) {
            image = type == SS_BITMAP
                        ? LoadBitmapImage(resources, MAKEINTRESOURCEW(item.title.ordinal))
                        : LoadIconImage(resources, item.title.ordinal,
                                        (item.style & SS_REALSIZEIMAGE) ? 0 : 32);
        }
        if (!image.isNull()) {
            picture->setPixmap(QPixmap::fromImage(image));
        }
        picture->setAlignment((item.style & SS_CENTERIMAGE) ? Qt::AlignCenter
                                                            : Qt::AlignLeft | Qt::AlignTop);
        return picture;
    }
    case SS_ETCHEDHORZ:
    case SS_ETCHEDVERT: {
        auto* line = new QFrame(parent);
        line->setFrameShape(type == SS_ETCHEDHORZ ? QFrame::HLine : QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    }
    default: {
        auto* label = new QLabel(LabelText(item.title.text), parent);
        label->setWordWrap(type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE);
        const Qt::Alignment horizontal = type == SS_CENTER  ? Qt::AlignHCenter
                                         : type == SS_RIGHT ? Qt::AlignRight
                                                            : Qt::AlignLeft;
        label->setAlignment(horizontal |
                            ((item.style & SS_CENTERIMAGE) ? Qt::AlignVCenter : Qt::AlignTop));
        if (item.style & SS_SUNKEN) {
            label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        }
        return label;
    }
    }
}

// ES_CENTER and ES_RIGHT align an edit's text as SS_CENTER and SS_RIGHT align
// a static's.
Qt::Alignment TextAlignment(DWORD style) {
    return (style & ES_RIGHT)    ? Qt::AlignRight
           : (style & ES_CENTER) ? Qt::AlignHCenter
                                 : Qt::AlignLeft;
}

QWidget* MakeEdit(const DialogItem& item, QWidget* parent) {
    const bool readOnly = (item.style & ES_READONLY) != 0;
    // An edit control has a frame only when its template asks for a border.
    const bool border = (item.style & WS_BORDER) || (item.exStyle & WS_EX_CLIENTEDGE);
    if (item.style & ES_MULTILINE) {
        auto* edit = new QPlainTextEdit(ItemText(item), parent);
        edit->setReadOnly(readOnly);
        QTextOption option = edit->document()->defaultTextOption();
        option.setAlignment(TextAlignment(item.style));
        edit->document()->setDefaultTextOption(option);
        // As on Windows: lines wrap unless the edit scrolls sideways, and
        // only the scroll bars the style names are shown.
        const bool sideways = (item.style & (ES_AUTOHSCROLL | WS_HSCROLL)) != 0;
        edit->setLineWrapMode(sideways ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        edit->setHorizontalScrollBarPolicy((item.style & WS_HSCROLL) ? Qt::ScrollBarAlwaysOn
                                                                     : Qt::ScrollBarAlwaysOff);
        edit->setVerticalScrollBarPolicy((item.style & WS_VSCROLL) ? Qt::ScrollBarAlwaysOn
                                                                   : Qt::ScrollBarAlwaysOff);
        if (!border) {
            edit->setFrameShape(QFrame::NoFrame);
        }
        return edit;
    }
    auto* edit = new QLineEdit(ItemText(item), parent);
    edit->setReadOnly(readOnly);
    edit->setFrame(border);
    edit->setAlignment(TextAlignment(item.style) | Qt::AlignVCenter);
    if (item.style & ES_PASSWORD) {
        edit->setEchoMode(QLineEdit::Password);
    }
    return edit;
}

QWidget* MakeList(const DialogItem& item, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setSelectionMode((item.style & LBS_NOSEL) ? QAbstractItemView::NoSelection
                                                    : QAbstractItemView::SingleSelection);
    // Scroll bars only where the style names them; LBS_DISABLENOSCROLL keeps
    // the vertical one shown when there is nothing to scroll.
    list->setVerticalScrollBarPolicy(!(item.style & WS_VSCROLL)           ? Qt::ScrollBarAlwaysOff
                                     : (item.style & LBS_DISABLENOSCROLL) ? Qt::ScrollBarAlwaysOn
                                                                          : Qt::ScrollBarAsNeeded);
    list->setHorizontalScrollBarPolicy((item.style & WS_HSCROLL) ? Qt::ScrollBarAsNeeded
                                                                 : Qt::ScrollBarAlwaysOff);
    if (!(item.style & WS_BORDER) && !(item.exStyle & WS_EX_CLIENTEDGE)) {
        list->setFrameShape(QFrame::NoFrame);
    }
    return list;
}

QWidget* MakeControl(const DialogItem& item, QWidget* parent, HMODULE resources) {
    switch (item.kind()) {
    case DialogItemClass::Button:
        return MakeButton(item, parent);
    case DialogItemClass::Static:
        return MakeStatic(item, parent, resources);
    case DialogItemClass::Edit:
        return MakeEdit(item, parent);
    case DialogItemClass::ComboBox:
        return MakeComboBox(item.style, ComboEditHeight(parent->font()), parent);
    case DialogItemClass::ListBox:
        return MakeList(item, parent);
    default:
        break;
    }
    if (item.isClass(L"msctls_progress32")) {
        auto* bar = new QProgressBar(parent);
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setTextVisible(false);
        bar->setOrientation((item.style & PBS_VERTICAL) ? Qt::Vertical : Qt::Horizontal);
        if (!(item.style & PBS_SMOOTH)) {
            // Without PBS_SMOOTH Windows fills the bar with separate blocks.
            bar->setStyleSheet(QStringLiteral(
                "QProgressBar { border: 1px solid palette(mid); background: palette(base); }"
                "QProgressBar::chunk { background: palette(highlight); width: 7px; margin: 1px; "
                "}"));
        }
        return bar;
    }
    if (item.isClass(L"RichEdit20A") || item.isClass(L"RichEdit20W") ||
        item.isClass(L"RICHEDIT50W")) {
        auto* edit = new QTextEdit(parent);
        edit->setReadOnly((item.style & ES_READONLY) != 0);
        // A rich edit has no pop-up menu of its own on Windows: a window that
        // wants one shows it (Qt's would otherwise open beside it).
        edit->setContextMenuPolicy(Qt::NoContextMenu);
        return edit;
    }
    if (item.isClass(L"msctls_updown32")) {
        return MakeUpDown(item, parent);
    }
    if (item.isClass(L"msctls_trackbar32")) {
        return MakeTrackbar(item, parent);
    }
    if (item.isClass(L"SysListView32")) {
        return MakeListView(item, parent);
    }
    if (item.isClass(L"SysTreeView32")) {
        return MakeTreeView(item, parent);
    }
    if (item.isClass(L"SysTabControl32")) {
        return new QTabBar(parent);
    }
    auto* unknown = new QFrame(parent);
    unknown->setFrameShape(QFrame::StyledPanel);
    return unknown;
}

} // namespace

QFont DialogBuilder::dialogFont(const DialogTemplate& dlg) {
    if (dlg.font && dlg.font->pointSize > 0 && !dlg.font->typeface.empty()) {
        QString face = QString::fromStdWString(dlg.font->typeface);
        // An extended template with DS_SHELLFONT that names "MS Shell Dlg"
        // gets "MS Shell Dlg 2" (Tahoma), as Windows gives it.
        if (dlg.extended && (dlg.style & DS_SHELLFONT) == DS_SHELLFONT &&
            face.compare(QStringLiteral("MS Shell Dlg"), Qt::CaseInsensitive) == 0) {
            face = QStringLiteral("MS Shell Dlg 2");
        }
        return FontRegistry::font(face, dlg.font->pointSize, dlg.font->weight, dlg.font->italic);
    }
    return FontRegistry::font(QStringLiteral("Tahoma"), 8);
}

QRect DialogBuilder::toPixels(QSize baseUnits, int x, int y, int cx, int cy) {
    const int left = MulDiv(x, baseUnits.width(), 4);
    const int top = MulDiv(y, baseUnits.height(), 8);
    return QRect(left, top, MulDiv(cx, baseUnits.width(), 4), MulDiv(cy, baseUnits.height(), 8));
}

std::unique_ptr<QWidget> DialogBuilder::build(const DialogTemplate& dlg, QWidget* parent,
                                              HMODULE resources) {
    auto dialog = std::make_unique<QWidget>(parent);
    const QFont font = dialogFont(dlg);
    const QSize units = FontRegistry::baseUnits(font);
    dialog->setFont(font);
    dialog->setWindowTitle(QString::fromStdWString(dlg.title));
    dialog->resize(toPixels(units, 0, 0, dlg.cx, dlg.cy).size());

    QButtonGroup* radios = nullptr;
    for (const DialogItem& item : dlg.items) {
        QWidget* control = createControl(item, dialog.get(), resources);
        QRect place = toPixels(units, item.x, item.y, item.cx, item.cy);
        // A drop-down combo box's template height is that of its open list;
        // closed, it is one line high, as Windows draws it.
        if (item.kind() == DialogItemClass::ComboBox && (item.style & 0x3) != CBS_SIMPLE) {
            place.setHeight(std::min(place.height(), ComboEditHeight(font)));
        }
        // An icon static takes its icon's size at the template's place
        // (templates give ICON statements no size), unless told to keep its own.
        if (item.kind() == DialogItemClass::Static && (item.style & SS_TYPEMASK) == SS_ICON &&
            !(item.style & (SS_CENTERIMAGE | SS_REALSIZECONTROL))) {
            if (auto* picture = qobject_cast<QLabel*>(control);
                picture && !picture->pixmap().isNull()) {
                place.setSize(picture->pixmap().size());
            }
        }
        control->setGeometry(place);
        // Radio buttons exclude each other from one WS_GROUP control to the
        // next, not across the whole dialog as Qt would have it.
        if (item.style & WS_GROUP) {
            radios = nullptr;
        }
        if (auto* radio = qobject_cast<QRadioButton*>(control)) {
            if (!radios) {
                radios = new QButtonGroup(dialog.get());
            }
            radios->addButton(radio);
        }
    }
    return dialog;
}

QWidget* DialogBuilder::createControl(const DialogItem& item, QWidget* parent, HMODULE resources) {
    QWidget* control = MakeControl(item, parent, resources);
    // A new child window goes to the bottom of the z-order, as on Windows:
    // the first control of a template ends up on top, in painting and in
    // hit-testing alike.
    control->lower();
    control->setProperty(kIdProperty, static_cast<uint>(item.id));
    control->setEnabled((item.style & WS_DISABLED) == 0);
    control->setVisible((item.style & WS_VISIBLE) != 0);
    SetControlFocusPolicy(control, item.style);
    SetMouseTransparency(control, item.className(), item.style);
    // A bordered static draws a thin line round itself.
    if (auto* frame = qobject_cast<QFrame*>(control);
        frame && item.kind() == DialogItemClass::Static && frame->frameShape() == QFrame::NoFrame &&
        ((item.style & WS_BORDER) || (item.exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)))) {
        frame->setFrameStyle((item.style & WS_BORDER) ? QFrame::Box | QFrame::Plain
                                                      : QFrame::StyledPanel | QFrame::Sunken);
    }
    return control;
}

QWidget* DialogBuilder::control(const QWidget* dialog, DWORD id) {
    if (!dialog) {
        return nullptr;
    }
    for (QWidget* widget : ChildWidgetsInZOrder(dialog)) {
        if (widget->property(kIdProperty).isValid() && controlId(widget) == id) {
            return widget;
        }
    }
    return nullptr;
}

DWORD DialogBuilder::controlId(const QWidget* control) {
    return control ? control->property(kIdProperty).toUInt() : 0;
}

} // namespace zx
