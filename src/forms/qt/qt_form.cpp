#include "forms/application.h"
#include "forms/qt/qt_fonts.h"
#include "forms/qt/qt_widgets.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace forms::qt {

PushButton::PushButton(CommandButton& button, QWidget* parent)
    : QPushButton(toQString(button.Caption()), parent), button_(&button)
{
    setObjectName(QString::fromStdString(button.displayName()));
    if (!button.font().isDefault())
        setFont(resolveFont(button.font()));
    setFocusPolicy(Qt::StrongFocus);
    setAutoDefault(false);
    const Rect& r = button.rect();
    setGeometry(pixels(r.left), pixels(r.top), pixels(r.width), pixels(r.height));
    describe(*this, button);
    connect(this, &QPushButton::clicked, this, [this] {
        if (button_ != nullptr)
            dispatch([this] { button_->raiseClick(); });
    });
    button.attach(this);
}

void PushButton::keyPressEvent(QKeyEvent* event)
{
    // Qt presses a button on Return only when it is a dialog's default button.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

FormWidget::FormWidget(Form& form) : QWidget(nullptr), form_(&form)
{
    const FormLayout& layout = form.layout();
    setObjectName(
        QString::fromUtf8(layout.name.data(), static_cast<qsizetype>(layout.name.size())));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(toQString(layout.caption));
    resize(pixels(layout.clientWidth), pixels(layout.clientHeight));

    // Lines lie under the labels, and buttons above both.
    for (const auto& control : form.controls()) {
        switch (control->kind()) {
        case ControlKind::Line:
            lines_.push_back(static_cast<const Line*>(control.get()));
            break;
        case ControlKind::Label:
            labels_.push_back(new LabelWidget(static_cast<Label&>(*control), this));
            break;
        case ControlKind::CommandButton:
            break;
        }
    }
    for (const auto& control : form.controls())
        if (control->kind() == ControlKind::CommandButton)
            buttons_.push_back(new PushButton(static_cast<CommandButton&>(*control), this));

    // The keyboard walks the buttons in the order of their tab indexes.
    std::vector<PushButton*> order = buttons_;
    std::stable_sort(order.begin(), order.end(), [](PushButton* a, PushButton* b) {
        return a->button()->tabIndex() < b->button()->tabIndex();
    });
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    if (!order.empty())
        order.front()->setFocus(Qt::OtherFocusReason);
}

FormWidget::~FormWidget() = default;

void FormWidget::detach()
{
    form_ = nullptr;
    lines_.clear();
    for (LabelWidget* label : labels_) {
        if (label->label() != nullptr)
            label->label()->attach(nullptr);
        label->detach();
    }
    for (PushButton* button : buttons_) {
        if (button->button() != nullptr)
            button->button()->attach(nullptr);
        button->detach();
    }
}

void FormWidget::retire()
{
    QWidget::hide();
    detach();
    if (inEvent_ > 0)
        deleteLater();
    else
        delete this;
}

void FormWidget::showWindow()
{
    if (!shownBefore_ && form_ != nullptr &&
        form_->layout().startUpPosition == StartUpPosition::CenterScreen) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.left() + (area.width() - width()) / 2,
                 area.top() + (area.height() - height()) / 2);
        }
    }
    shownBefore_ = true;
    QWidget::show();
    activateWindow();
}

void FormWidget::activateWindowNow()
{
    raise();
    activateWindow();
}

void FormWidget::paintEvent(QPaintEvent*)
{
    if (form_ == nullptr)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), resolveColor(form_->layout().backColor, palette()));
    for (const Line* line : lines_) {
        painter.setPen(QPen(resolveColor(line->BorderColor(), palette()), 0));
        painter.drawLine(pixels(line->X1()), pixels(line->Y1()), pixels(line->X2()),
                         pixels(line->Y2()));
    }
}

void FormWidget::closeEvent(QCloseEvent* event)
{
    if (form_ == nullptr || ended()) {
        event->accept();
        return;
    }
    ++inEvent_;
    bool closed = true;
    dispatch([&] { closed = form_->Unload(); });
    --inEvent_;
    event->setAccepted(closed);
}

namespace {

class QtFormPeer final : public FormPeer
{
public:
    explicit QtFormPeer(Form& form) : widget_(new FormWidget(form)) {}
    ~QtFormPeer() override { widget_->retire(); }

    void show() override { widget_->showWindow(); }
    void hide() override { widget_->QWidget::hide(); }
    void activate() override { widget_->activateWindowNow(); }

private:
    FormWidget* widget_;
};

} // namespace

} // namespace forms::qt

namespace forms {

std::unique_ptr<FormPeer> createFormPeer(Form& form)
{
    return std::make_unique<qt::QtFormPeer>(form);
}

} // namespace forms
