// The Qt widgets that carry the forms layer's windows: a window whose client
// area the core paints, and native push buttons on it.
#pragma once

#include "forms/controls.h"
#include "forms/form.h"
#include "forms/surface.h"

#include <QImage>
#include <QPushButton>
#include <QWidget>

#include <vector>

namespace forms::qt {

class FormWidget;

// A push button; the keys it takes go through the window's surface.
class PushButton final : public QPushButton
{
    Q_OBJECT

public:
    PushButton(CommandButton& button, FormWidget& window);

    void detach() { button_ = nullptr; }
    CommandButton* button() const { return button_; }

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    CommandButton* button_;
    FormWidget& window_;
};

// A top-level window. Owned by its peer, which retires it when the window
// unloads.
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
    FormSurface* surface() const { return form_ != nullptr ? form_->surface() : nullptr; }
    const std::vector<PushButton*>& buttons() const { return buttons_; }
    PushButton* widgetOf(const CommandButton* button) const;

    // Device pixels of the surface to this widget's own and back.
    QRect toLogical(const PixelRect& area) const;
    PixelPoint toDevice(const QPointF& point) const;
    // A box of the surface on the screen, in the screen's device pixels.
    QRect onScreen(const PixelRect& area) const;

    // Does what the surface answers to a key; false when it is not the window's.
    bool handleKey(QKeyEvent* event, CommandButton* focused);
    // A key went up in the window, wherever its focus is.
    void keyReleased(const QKeyEvent& event);

    // The desktop may have changed under the window: its density, its fonts
    // or its screens. The core measures anew and says where the window goes.
    void followDesktop();
    // Fits the window to the surface, measured anew.
    void refit();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct KeyRelease
    {
        quint64 key = 0;
        quint64 time = 0;
    };

    void detach();
    int dpi() const;
    void keepOnScreens();
    bool settled() const;
    // Where the screen area centres a frame of the window's size with these margins.
    QPoint centredFrame(const QRect& area, const QMargins& frame) const;
    // Whether a key's press is the repeat of a key held down.
    bool repeated(const QKeyEvent& event) const;

    Form* form_;
    QImage canvas_; // the client area in device pixels, when the window is scaled
    std::vector<PushButton*> buttons_;
    bool shownBefore_ = false;
    bool followLater_ = false; // a change to follow once the window is settled
    int inEvent_ = 0;
    KeyRelease lastRelease_;
};

} // namespace forms::qt
