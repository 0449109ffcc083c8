// The Qt widgets that draw the forms layer's windows and controls.
#pragma once

#include "forms/controls.h"
#include "forms/form.h"

#include <QFont>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <vector>

namespace forms::qt {

// Gives a new control's widget what a screen reader says for it: its name and
// its description.
void describe(QWidget& widget, const Control& control);
// Takes the control's name anew and tells a screen reader when it has changed.
void updateAccessibleName(QWidget& widget, const Control& control);

// Draws a label: background, a one-pixel flat frame, and its text from the
// top of its box, aligned as the label says.
class LabelWidget final : public QWidget, public ControlPeer
{
    Q_OBJECT

public:
    LabelWidget(Label& label, QWidget* parent);

    void changed(Property property) override;
    void detach() { label_ = nullptr; }
    Label* label() const { return label_; }

    // Whether a click does something; a screen reader may then press the label.
    bool clickable() const { return label_ != nullptr && static_cast<bool>(label_->Click); }
    void click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void fitToText();
    int linePitch() const;

    Label* label_;
    QFont font_;
    QString text_;
    bool pressed_ = false;
};

// A push button that, like the platform's, also clicks on Return and Enter
// while it has the focus.
class PushButton final : public QPushButton, public ControlPeer
{
    Q_OBJECT

public:
    PushButton(CommandButton& button, QWidget* parent);

    void changed(Property) override {}
    void detach() { button_ = nullptr; }
    CommandButton* button() const { return button_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    CommandButton* button_;
};

// A window's client area; it draws the window's lines itself. Owned by its
// peer, which retires it when the window unloads.
class FormWidget final : public QWidget
{
    Q_OBJECT

public:
    explicit FormWidget(Form& form);
    ~FormWidget() override;

    void showWindow();
    void activateWindowNow();
    // Hides the widget, lets go of the controls and deletes it, later if it
    // is inside one of its own events.
    void retire();

    Form* form() const { return form_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void detach();

    Form* form_;
    std::vector<const Line*> lines_;
    std::vector<LabelWidget*> labels_;
    std::vector<PushButton*> buttons_;
    bool shownBefore_ = false;
    int inEvent_ = 0;
};

} // namespace forms::qt
