#include "forms/application.h"
#include "forms/qt/qt_fonts.h"
#include "forms/qt/qt_widgets.h"

#include <QFontMetrics>

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace forms::qt {

LabelWidget::LabelWidget(Label& label, QWidget* parent)
    : QWidget(parent), label_(&label), font_(resolveFont(label.font())),
      text_(displayText(label.Caption()))
{
    setObjectName(QString::fromStdString(label.displayName()));
    setFocusPolicy(Qt::NoFocus);
    const Rect& r = label.rect();
    setGeometry(pixels(r.left), pixels(r.top), pixels(r.width), pixels(r.height));
    if (label.autoSize())
        fitToText();
    describe(*this, label);
    label.attach(this);
}

void LabelWidget::changed(Property property)
{
    if (label_ == nullptr)
        return;
    if (property == Property::Caption) {
        text_ = displayText(label_->Caption());
        if (label_->autoSize())
            fitToText();
    }
    updateAccessibleName(*this, *label_);
    update();
}

// A label that fits itself to its text keeps the edge its alignment names
// (the centre, for a centred one) where the layout put it.
void LabelWidget::fitToText()
{
    const QFontMetrics metrics(font_);
    const QStringList lines = text_.split(QLatin1Char('\n'));
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    int height = metrics.lineSpacing() * (static_cast<int>(lines.size()) - 1) + metrics.height();
    if (label_->border() == BorderStyle::FixedSingle) {
        width += 2;
        height += 2;
    }
    const Rect& r = label_->rect();
    int left = pixels(r.left);
    if (label_->Alignment() == AlignRight)
        left = pixels(r.right()) - width;
    else if (label_->Alignment() == AlignCenter)
        left = pixels(r.left) + (pixels(r.width) - width) / 2;
    setGeometry(left, pixels(r.top), width, height);
}

void LabelWidget::paintEvent(QPaintEvent*)
{
    if (label_ == nullptr)
        return;
    QPainter painter(this);
    const QPalette& pal = palette();
    if (label_->style().opaque)
        painter.fillRect(rect(), resolveColor(label_->BackColor(), pal));
    QRect inner = rect();
    if (label_->border() == BorderStyle::FixedSingle) {
        // A cosmetic pen: one device pixel at any scale, as the lines are.
        painter.setPen(QPen(resolveColor(kSysWindowText, pal), 0));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        inner.adjust(1, 1, -1, -1);
    }
    int flags = Qt::AlignTop | Qt::TextWordWrap;
    switch (label_->Alignment()) {
    case AlignRight:
        flags |= Qt::AlignRight;
        break;
    case AlignCenter:
        flags |= Qt::AlignHCenter;
        break;
    default:
        flags |= Qt::AlignLeft;
        break;
    }
    painter.setFont(font_);
    painter.setPen(resolveColor(label_->ForeColor(), pal));
    painter.setClipRect(inner);
    // Line by line at the face's own pitch, as the layout was designed for.
    const QFontMetrics metrics(font_);
    const int pitch = linePitch();
    int top = inner.top();
    for (const QString& line : text_.split(QLatin1Char('\n'))) {
        const QRect box(inner.left(), top, inner.width(), inner.bottom() - top + 1);
        painter.drawText(box, flags, line);
        const int wrapped = metrics.boundingRect(box, flags, line).height() / metrics.lineSpacing();
        top += pitch * std::max(1, wrapped);
        if (top > inner.bottom())
            break;
    }
}

// A stand-in face may be taller than the face the layout was drawn for: its
// lines then close up, down to one em apart, rather than lose the last ones
// below the label's box.
int LabelWidget::linePitch() const
{
    const QFontMetrics metrics(font_);
    const int natural = metrics.lineSpacing();
    // A closing line break adds no line of its own.
    const int lines = static_cast<int>(text_.count(QLatin1Char('\n'))) + 1 -
                      (text_.endsWith(QLatin1Char('\n')) ? 1 : 0);
    if (lines < 2 || label_->autoSize() || label_->font().isDefault())
        return natural;
    int room = height();
    if (label_->border() == BorderStyle::FixedSingle)
        room -= 2;
    const int fitting = (room - metrics.height()) / (lines - 1);
    return std::clamp(fitting, std::min(natural, fontPixels(label_->font().points)), natural);
}

void LabelWidget::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
}

void LabelWidget::mouseReleaseEvent(QMouseEvent* event)
{
    const bool clicked = pressed_ && event->button() == Qt::LeftButton &&
                         rect().contains(event->position().toPoint());
    pressed_ = false;
    if (clicked)
        click();
}

void LabelWidget::click()
{
    if (label_ != nullptr)
        dispatch([this] { label_->raiseClick(); });
}

} // namespace forms::qt
