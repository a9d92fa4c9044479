#include "cmnctrls/ExtCheckBox.h"

#include <QCheckBox>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

namespace {

class CheckPainter : public QObject {
public:
    explicit CheckPainter(const CExtCheckBox* owner) : m_owner(owner) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = qobject_cast<QCheckBox*>(watched);
        if (!box || event->type() != QEvent::Paint)
            return QObject::eventFilter(watched, event);
        paint(*box);
        return true;
    }

private:
    void paint(QCheckBox& box) const {
        QPainter p(&box);
        p.setRenderHint(QPainter::Antialiasing);
        const QPalette& pal = box.palette();
        const bool enabled = box.isEnabled();
        const QColor accent = enabled ? zx::ToQColor(m_owner->GetAccentColour())
                                      : pal.color(QPalette::Disabled, QPalette::Mid);
        if (box.autoFillBackground())
            p.fillRect(box.rect(), pal.color(QPalette::Window));

        const int side = std::min(13, std::max(7, box.height() - 2));
        const QRectF mark(1.5, (box.height() - side) / 2.0 + 0.5, side - 1, side - 1);
        const Qt::CheckState state = box.checkState();
        QPainterPath outline;
        outline.addRoundedRect(mark, 2.5, 2.5);
        if (state == Qt::Unchecked) {
            p.fillPath(outline, enabled ? pal.color(QPalette::Base) : pal.color(QPalette::Window));
            p.setPen(QPen(box.underMouse() && enabled ? accent : pal.color(QPalette::Dark), 1.0));
            p.drawPath(outline);
        } else {
            p.fillPath(outline, accent);
            QPen pen(Qt::white, std::max(1.5, side / 7.0), Qt::SolidLine, Qt::RoundCap,
                     Qt::RoundJoin);
            p.setPen(pen);
            const QPointF o = mark.topLeft();
            const double s = mark.width();
            if (state == Qt::Checked) {
                const QPointF tick[] = {o + QPointF(s * 0.22, s * 0.52),
                                        o + QPointF(s * 0.42, s * 0.72),
                                        o + QPointF(s * 0.78, s * 0.30)};
                p.drawPolyline(tick, 3);
            } else {
                p.drawLine(o + QPointF(s * 0.25, s * 0.5), o + QPointF(s * 0.75, s * 0.5));
            }
        }
        if (box.hasFocus()) {
            p.setPen(QPen(accent, 1.0, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(mark.adjusted(-1.5, -1.5, 1.5, 1.5), 3.5, 3.5);
        }

        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(pal.color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        p.setFont(box.font());
        const QRect text = box.rect().adjusted(side + 6, 0, 0, 0);
        QString label = box.text();
        label.remove(QLatin1Char('&')); // the mnemonic mark is not drawn
        p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, label);
    }

    const CExtCheckBox* m_owner;
};

} // namespace

CExtCheckBox::CExtCheckBox() : m_crAccent(RGB(0, 120, 215)) {}

CExtCheckBox::~CExtCheckBox() = default;

void CExtCheckBox::SetAccentColour(COLORREF colour) {
    m_crAccent = colour & 0x00FFFFFFu;
    if (QWidget* widget = m_hWnd ? GetWidget() : nullptr)
        widget->update();
}

void CExtCheckBox::PreSubclassWindow() {
    CButton::PreSubclassWindow();
    QWidget* widget = GetWidget();
    if (!qobject_cast<QCheckBox*>(widget) || m_pPainter)
        return; // other buttons keep the style's drawing
    m_pPainter = std::make_unique<CheckPainter>(this);
    widget->installEventFilter(m_pPainter.get());
    widget->setAttribute(Qt::WA_Hover);
    widget->update();
}
