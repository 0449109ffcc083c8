#include "forms/application.h"
#include "forms/faces.h"
#include "forms/qt/qt_accessible.h"
#include "forms/qt/qt_desktop.h"
#include "forms/qt/qt_text.h"
#include "forms/qt/qt_widgets.h"

#include <QApplication>
#include <QBackingStore>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QScreen>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>

namespace forms::qt {

namespace {

// Paints in device pixels: the core places every pixel itself, at any scale.
class QtPainter final : public Painter
{
public:
    explicit QtPainter(QPaintDevice& device) : painter_(&device) {}

    void fill(const PixelRect& area, Color color) override
    {
        painter_.fillRect(QRect(area.left, area.top, area.width(), area.height()), toQColor(color));
    }

    void text(int x, int top, std::u16string_view run, const FontFace& face, Color color,
              const PixelRect& clip) override
    {
        const QFont& font = qtDesktop().font(face);
        painter_.setClipRect(QRect(clip.left, clip.top, clip.width(), clip.height()));
        painter_.setFont(font);
        painter_.setPen(toQColor(color));
        painter_.drawText(QPoint(x, top + desktop().metrics(face).ascent), toQString(run));
        painter_.setClipping(false);
    }

private:
    QPainter painter_;
};

// The physical key: Qt names a letter's key by its capital, with Shift or
// Caps Lock or neither.
Key toKey(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<Key>(static_cast<int>(Key::A) + (key - Qt::Key_A));
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return Key::Tab;
    case Qt::Key_Left:
        return Key::Left;
    case Qt::Key_Right:
        return Key::Right;
    case Qt::Key_Up:
        return Key::Up;
    case Qt::Key_Down:
        return Key::Down;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Key::Return;
    case Qt::Key_Space:
        return Key::Space;
    default:
        return Key::Other;
    }
}

} // namespace

PushButton::PushButton(CommandButton& button, FormWidget& window)
    : QPushButton(toQString(button.Caption()), &window), button_(&button), window_(window)
{
    setObjectName(QString::fromStdString(button.displayName()));
    // Qt scales the widget itself: it is placed and sized in 96-dpi pixels.
    const Scale layoutScale;
    setFont(qtDesktop().font(buttonFont(button, layoutScale)));
    setFocusPolicy(Qt::StrongFocus);
    setAutoDefault(false);
    const PixelRect box = layoutScale.box(button.rect());
    setGeometry(box.left, box.top, box.width(), box.height());
    connect(this, &QPushButton::clicked, this, [this] {
        if (button_ != nullptr)
            dispatch([this] { button_->raiseClick(); });
    });
}

void PushButton::focusInEvent(QFocusEvent* event)
{
    // Before the focus reaches a screen reader: the button then says its own
    // description, not what a press told before.
    if (button_ != nullptr)
        if (FormSurface* surface = window_.surface())
            surface->focusChanged(button_);
    QPushButton::focusInEvent(event);
}

bool PushButton::event(QEvent* event)
{
    // Before QWidget::event, which would take Tab for its own focus chain.
    if (event->type() == QEvent::KeyPress && button_ != nullptr &&
        window_.handleKey(static_cast<QKeyEvent*>(event), button_))
        return true;
    if (event->type() == QEvent::KeyRelease)
        window_.keyReleased(*static_cast<QKeyEvent*>(event));
    return QPushButton::event(event);
}

// The window's interface is made while its base is: the program's own must
// be in place before (Qt 6.8 asks for it then, and keeps what it got).
namespace {
QWidget* withAccessibility(QWidget* parent)
{
    installAccessibility();
    return parent;
}
} // namespace

FormWidget::FormWidget(Form& form) : QWidget(withAccessibility(nullptr)), form_(&form)
{
    const FormLayout& layout = form.layout();
    setObjectName(
        QString::fromUtf8(layout.name.data(), static_cast<qsizetype>(layout.name.size())));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(toQString(layout.caption));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    const PixelSize client = Scale{}.client(layout.clientWidth, layout.clientHeight);
    resize(client.width, client.height);
    form.surface()->setDpi(dpi());

    for (const auto& control : form.controls())
        if (control->kind() == ControlKind::CommandButton)
            buttons_.push_back(new PushButton(static_cast<CommandButton&>(*control), *this));
    // Qt's own chain, for whatever reaches it: the surface's keyboard order.
    PushButton* previous = nullptr;
    for (CommandButton* button : form.surface()->focusOrder()) {
        PushButton* widget = widgetOf(button);
        if (previous != nullptr)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    if (PushButton* first = widgetOf(form.surface()->firstFocus()))
        first->setFocus(Qt::OtherFocusReason);
    describeWindow(*this);

    // Queued: Qt has finished with the change (a screen's removal, a window's
    // new screen) when the core looks at it.
    const auto watch = [this](QScreen* screen) {
        for (auto signal : {&QScreen::geometryChanged, &QScreen::availableGeometryChanged})
            connect(screen, signal, this, &FormWidget::followDesktop, Qt::QueuedConnection);
        connect(screen, &QScreen::logicalDotsPerInchChanged, this, &FormWidget::followDesktop,
                Qt::QueuedConnection);
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, watch);
    for (auto signal : {&QGuiApplication::screenAdded, &QGuiApplication::screenRemoved,
                        &QGuiApplication::primaryScreenChanged})
        connect(qApp, signal, this, &FormWidget::followDesktop, Qt::QueuedConnection);
}

FormWidget::~FormWidget() = default;

PushButton* FormWidget::widgetOf(const CommandButton* button) const
{
    for (PushButton* widget : buttons_)
        if (widget->button() == button && button != nullptr)
            return widget;
    return nullptr;
}

QRect FormWidget::toLogical(const PixelRect& area) const
{
    const qreal ratio = devicePixelRatioF();
    const int left = static_cast<int>(std::floor(area.left / ratio));
    const int top = static_cast<int>(std::floor(area.top / ratio));
    const int right = static_cast<int>(std::ceil(area.right / ratio));
    const int bottom = static_cast<int>(std::ceil(area.bottom / ratio));
    return QRect(left, top, right - left, bottom - top);
}

PixelPoint FormWidget::toDevice(const QPointF& point) const
{
    const qreal ratio = devicePixelRatioF();
    return {static_cast<int>(std::floor(point.x() * ratio)),
            static_cast<int>(std::floor(point.y() * ratio))};
}

void FormWidget::detach()
{
    forgetWindow(*this);
    form_ = nullptr;
    for (PushButton* button : buttons_)
        button->detach();
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

namespace {

PixelRect toPixelRect(const QRect& area)
{
    return {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
}

// Qt's coordinates keep each screen's top-left corner where its device
// pixels have it and scale from there.
QRect toNative(const QRect& area, const QScreen& screen)
{
    const QPoint origin = screen.geometry().topLeft();
    const qreal ratio = screen.devicePixelRatio();
    const QPointF at = origin + QPointF(area.topLeft() - origin) * ratio;
    return QRect(qRound(at.x()), qRound(at.y()), qRound(area.width() * ratio),
                 qRound(area.height() * ratio));
}

// An xcb reply, which its receiver frees.
template <class T> std::unique_ptr<T, void (*)(void*)> owned(T* reply)
{
    return {reply, &std::free};
}

// The X server's connection; none off X.
xcb_connection_t* xcbConnection()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

// The window the user works in, by the window manager's word
// (_NET_ACTIVE_WINDOW), in X's device pixels; none without a window manager
// that says, or off X.
std::optional<PixelRect> foregroundFrame()
{
    xcb_connection_t* connection = xcbConnection();
    if (connection == nullptr)
        return std::nullopt;
    static constexpr char kName[] = "_NET_ACTIVE_WINDOW";
    const auto atom = owned(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, sizeof kName - 1, kName), nullptr));
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return std::nullopt;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const auto active = owned(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1),
        nullptr));
    if (!active || xcb_get_property_value_length(active.get()) < int(sizeof(xcb_window_t)))
        return std::nullopt;
    const xcb_window_t window = *static_cast<xcb_window_t*>(xcb_get_property_value(active.get()));
    if (window == XCB_WINDOW_NONE)
        return std::nullopt;
    const auto size =
        owned(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    const auto at = owned(xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, window, root, 0, 0), nullptr));
    if (!size || !at)
        return std::nullopt;
    return PixelRect{at->dst_x, at->dst_y, at->dst_x + size->width, at->dst_y + size->height};
}

// The whole X screen, in its device pixels; none off X.
std::optional<PixelRect> rootArea()
{
    xcb_connection_t* connection = xcbConnection();
    if (connection == nullptr)
        return std::nullopt;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const auto size =
        owned(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, root), nullptr));
    if (!size)
        return std::nullopt;
    return PixelRect{0, 0, size->width, size->height};
}

// A window as the X server has it, in device pixels: its frame (the window a
// window manager put it in, or the window itself) and where its own client
// area begins; none off X.
struct NativePlace
{
    PixelRect frame;
    PixelPoint client;
};

std::optional<NativePlace> nativePlace(WId id)
{
    xcb_connection_t* connection = xcbConnection();
    if (connection == nullptr)
        return std::nullopt;
    const auto client = static_cast<xcb_window_t>(id);
    xcb_window_t window = client;
    xcb_window_t root = XCB_WINDOW_NONE;
    for (;;) {
        const auto tree =
            owned(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
        if (!tree)
            return std::nullopt;
        root = tree->root;
        if (tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE)
            break;
        window = tree->parent;
    }
    const auto box =
        owned(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr));
    const auto at = owned(xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, client, root, 0, 0), nullptr));
    if (!box || !at)
        return std::nullopt;
    const int border = 2 * box->border_width;
    return NativePlace{
        {box->x, box->y, box->x + box->width + border, box->y + box->height + border},
        {at->dst_x, at->dst_y}};
}

// The screens as the core takes them: the primary first.
std::vector<QScreen*> screensPrimaryFirst()
{
    std::vector<QScreen*> all;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        all.push_back(primary);
    for (QScreen* other : QGuiApplication::screens())
        if (other != QGuiApplication::primaryScreen())
            all.push_back(other);
    return all;
}

} // namespace

QRect FormWidget::onScreen(const PixelRect& area) const
{
    const QScreen* here = screen();
    QPoint origin = mapToGlobal(QPoint(0, 0));
    if (here != nullptr)
        origin = toNative(QRect(origin, QSize(1, 1)), *here).topLeft();
    return QRect(origin.x() + area.left, origin.y() + area.top, area.right - area.left,
                 area.bottom - area.top);
}

void FormWidget::showWindow()
{
    if (!shownBefore_ && form_ != nullptr) {
        // On the screen the core picks by the foreground window, in the
        // device pixels X gives that window. The native window is made there,
        // at its density: no change of screen to follow once it is up.
        const std::vector<QScreen*> all = screensPrimaryFirst();
        std::vector<Screen> screens;
        for (QScreen* screen : all)
            screens.push_back({toPixelRect(toNative(screen->geometry(), *screen)),
                               toPixelRect(toNative(screen->availableGeometry(), *screen))});
        // Without a window manager that says which window is in use, the
        // program's own active window is (the one a help window is opened from).
        std::optional<PixelRect> foreground = foregroundFrame();
        if (QWidget* active = QApplication::activeWindow();
            !foreground && active != nullptr && active != this)
            if (const std::optional<NativePlace> place = nativePlace(active->winId()))
                foreground = place->frame;
        if (const Screen* chosen = screenInUse(screens, foreground)) {
            QScreen* target = all[std::size_t(chosen - screens.data())];
            const bool centred = form_->layout().startUpPosition == StartUpPosition::CenterScreen;
            setScreen(target);
            const int targetDpi = static_cast<int>(std::lround(96 * target->devicePixelRatio()));
            if (form_->surface()->scale().dpi != targetDpi)
                form_->surface()->refit(targetDpi);
            // Qt sizes a window it places itself at the density of the
            // screen at 0,0: a window the system places is left to the
            // window manager there, and placed by the program on any other
            // screen, as a centred window always is. A centred window
            // gives the place of its client area with its size, which a
            // window manager keeps, frame or not (its frame is not known
            // before it shows); a window in the area's corner gives its
            // frame's, which a window manager puts there.
            const QRect area = target->availableGeometry();
            if (!centred && target->geometry().contains(QPoint(0, 0))) {
                create(); // where the window manager (or Qt, without one) puts it
            } else if (!centred) {
                move(area.topLeft());
                create();
            } else {
                setGeometry(QRect(centredFrame(area, QMargins()), size()));
                create();
                const QMargins frame =
                    windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
                if (!frame.isNull())
                    setGeometry(QRect(centredFrame(area, frame) + QPoint(frame.left(), frame.top()),
                                      size()));
            }
        }
    }
    shownBefore_ = true;
    QWidget::show();
    activateWindow();
}

QPoint FormWidget::centredFrame(const QRect& area, const QMargins& frame) const
{
    const PixelPoint at = centredOn(toPixelRect(area), {width() + frame.left() + frame.right(),
                                                        height() + frame.top() + frame.bottom()});
    return {at.x, at.y};
}

void FormWidget::activateWindowNow()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

// The density the window's device pixels have on the screen it is on.
int FormWidget::dpi() const
{
    return static_cast<int>(std::lround(96 * devicePixelRatioF()));
}

bool FormWidget::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ScreenChangeInternal:  // moved to another screen
    case QEvent::ApplicationFontChange: // the desktop's fonts
    case QEvent::StyleChange:
    case QEvent::ThemeChange:
        QMetaObject::invokeMethod(this, &FormWidget::followDesktop, Qt::QueuedConnection);
        break;
    case QEvent::Move: // Qt has heard where the window is
        if (followLater_)
            QMetaObject::invokeMethod(this, &FormWidget::followDesktop, Qt::QueuedConnection);
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void FormWidget::followDesktop()
{
    if (form_ == nullptr)
        return;
    // Shown, it waits until the window lies where Qt knows it to be: a fit
    // sends the window's place along with its size.
    followLater_ = isVisible() && !settled();
    if (followLater_)
        return;
    form_->surface()->refit(dpi());
    if (isVisible())
        keepOnScreens();
}

// Whether the X server has the window shown and where Qt last heard it was.
// A window manager takes a new window through other places while it frames
// it (its frame made at 0,0, then moved where the window asked to be), and
// Qt may still hold one of them: a fit or a move made then would send the
// window back there, on a screen it never was meant for.
bool FormWidget::settled() const
{
    xcb_connection_t* connection = xcbConnection();
    QScreen* here = screen();
    if (connection == nullptr || here == nullptr || !testAttribute(Qt::WA_WState_Created))
        return true;
    const auto window = static_cast<xcb_window_t>(winId());
    const auto state = owned(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr));
    if (!state || state->map_state != XCB_MAP_STATE_VIEWABLE)
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const auto at = owned(xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, window, root, 0, 0), nullptr));
    if (!at)
        return false;
    // Qt's pixels to the device's and back may round a pixel each way.
    const QRect known = toNative(geometry(), *here);
    const int slack = static_cast<int>(std::ceil(here->devicePixelRatio()));
    return std::abs(at->dst_x - known.x()) <= slack && std::abs(at->dst_y - known.y()) <= slack;
}

void FormWidget::refit()
{
    if (form_ == nullptr)
        return;
    // Qt scales the widgets itself: they are sized in 96-dpi pixels.
    const Scale layoutScale;
    for (PushButton* button : buttons_)
        if (button->button() != nullptr)
            button->setFont(qtDesktop().font(buttonFont(*button->button(), layoutScale)));
    const PixelSize client =
        layoutScale.client(form_->layout().clientWidth, form_->layout().clientHeight);
    // Through a change of scale on the same screen the widget keeps its old
    // size in Qt's pixels while its window keeps its old device pixels: the
    // widget first learns the size its window has, so that the new size is a
    // change, which resizes the window and paints all of it.
    if (QWindow* window = windowHandle(); window != nullptr && window->size() != size())
        resize(window->size());
    resize(client.width, client.height);
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
    // Qt 6.4 keeps the backing store at its old device pixels through a
    // change of scale on the same screen, and its Fusion style keeps the
    // pictures of buttons by size, whatever the scale they were drawn at.
    // Qt 6.8 does both itself.
    if (QBackingStore* store = backingStore())
        store->resize(size());
    QPixmapCache::clear();
#endif
    update();
}

// Where the screens changed under the window, the core says where it goes,
// in device pixels: Qt's own are rounded, a pixel either way at 1.5.
void FormWidget::keepOnScreens()
{
    QScreen* here = screen();
    if (here == nullptr)
        return;
    const std::vector<QScreen*> all = screensPrimaryFirst();
    std::vector<int> edgesX, edgesY; // known to the device pixel
    for (QScreen* screen : all) {
        edgesX.push_back(screen->geometry().left());
        edgesY.push_back(screen->geometry().top());
    }
    if (const std::optional<PixelRect> root = rootArea()) {
        edgesX.push_back(root->right);
        edgesY.push_back(root->bottom);
    }
    std::vector<PixelRect> areas;
    for (QScreen* screen : all) {
        const QPoint origin = screen->geometry().topLeft();
        const qreal ratio = screen->devicePixelRatio();
        areas.push_back(deviceInside(toPixelRect(screen->availableGeometry()), {origin.x(), ratio},
                                     {origin.y(), ratio}, edgesX, edgesY));
    }
    const QRect logicalClient = toNative(geometry(), *here);
    const NativePlace place =
        nativePlace(winId()).value_or(NativePlace{toPixelRect(toNative(frameGeometry(), *here)),
                                                  {logicalClient.left(), logicalClient.top()}});
    const PixelPoint at = keptOnScreens(place.frame, areas);
    if (at == PixelPoint{place.frame.left, place.frame.top})
        return;
    // The client area placed, in Qt's pixels that land it no further out than
    // the core's: the frame's own pixels, rounded apart, would not add up.
    const QPoint origin = here->geometry().topLeft();
    const CoarsePixels x{origin.x(), here->devicePixelRatio()};
    const CoarsePixels y{origin.y(), here->devicePixelRatio()};
    const int dx = at.x - place.frame.left, dy = at.y - place.frame.top;
    QPoint client = geometry().topLeft();
    if (dx != 0)
        client.setX(x.coarse(place.client.x + dx, dx > 0));
    if (dy != 0)
        client.setY(y.coarse(place.client.y + dy, dy > 0));
    if (QWindow* window = windowHandle())
        window->setPosition(client);
}

void FormWidget::paintEvent(QPaintEvent*)
{
    if (form_ == nullptr)
        return;
    const qreal ratio = devicePixelRatioF();
    if (followLater_ || form_->surface()->scale().dpi != dpi())
        QMetaObject::invokeMethod(this, &FormWidget::followDesktop, Qt::QueuedConnection);
    const PixelSize window{qRound(width() * ratio), qRound(height() * ratio)};
    if (ratio == 1) {
        // A pixel is a device pixel: straight onto the window.
        QtPainter painter(*this);
        form_->surface()->paint(painter, window);
        return;
    }
    // Scaled, the toolkit would scale the text it draws after measuring it:
    // the window's device pixels are drawn on an image, one to one.
    const PixelSize client = form_->surface()->clientSize();
    const QSize size(std::max(client.width, window.width), std::max(client.height, window.height));
    if (canvas_.size() != size)
        canvas_ = QImage(size, QImage::Format_RGB32);
    canvas_.setDevicePixelRatio(1);
    {
        QtPainter painter(canvas_);
        form_->surface()->paint(painter, window);
    }
    canvas_.setDevicePixelRatio(ratio);
    QPainter(this).drawImage(QPointF(0, 0), canvas_);
}

void FormWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && form_ != nullptr) {
        ++inEvent_;
        form_->surface()->press(toDevice(event->position()), false);
        --inEvent_;
    }
}

void FormWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && form_ != nullptr) {
        ++inEvent_;
        form_->surface()->press(toDevice(event->position()), true);
        --inEvent_;
    }
}

void FormWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && form_ != nullptr) {
        ++inEvent_;
        form_->surface()->release(toDevice(event->position()));
        --inEvent_;
    }
}

void FormWidget::keyReleaseEvent(QKeyEvent* event)
{
    keyReleased(*event);
    QWidget::keyReleaseEvent(event);
}

// The X server repeats a held key as a release and a press at the same
// moment; Qt's xcb backend (6.4 and 6.8 alike) calls the pair a repeat only
// when the press has come in before the release is handled. No hand lets go
// of a key and presses it again within the same millisecond. Only a key the
// platform reported counts (a native scan code): events made up inside the
// program carry no time, and nor do keys sent through XTest (an on-screen or
// braille keyboard, a test): Qt then gives every one the time 0, and a key
// pressed twice would count as held.
void FormWidget::keyReleased(const QKeyEvent& event)
{
    if (event.isAutoRepeat() || event.nativeScanCode() == 0)
        return;
    lastRelease_ = {event.nativeScanCode(), event.timestamp()};
}

bool FormWidget::repeated(const QKeyEvent& event) const
{
    return event.isAutoRepeat() ||
           (event.nativeScanCode() != 0 && event.timestamp() != 0 &&
            lastRelease_.key == event.nativeScanCode() && lastRelease_.time == event.timestamp());
}

void FormWidget::keyPressEvent(QKeyEvent* event)
{
    // A key that a focused button passed on has been to the surface already.
    const bool fromButton = qobject_cast<PushButton*>(QApplication::focusWidget()) != nullptr;
    if (fromButton || !handleKey(event, nullptr))
        QWidget::keyPressEvent(event);
}

bool FormWidget::handleKey(QKeyEvent* event, CommandButton* focused)
{
    if (form_ == nullptr)
        return false;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    KeyPress press;
    press.key = toKey(event->key());
    press.shift = modifiers.testFlag(Qt::ShiftModifier) || event->key() == Qt::Key_Backtab;
    press.ctrl = modifiers.testFlag(Qt::ControlModifier);
    press.alt = modifiers.testFlag(Qt::AltModifier);
    press.repeat = repeated(*event);
    ++inEvent_;
    const KeyAnswer answer = form_->surface()->key(press, focused);
    --inEvent_;
    if (form_ == nullptr)
        return true;
    return answer.carryOut(
        [&](CommandButton& target) {
            if (PushButton* widget = widgetOf(&target))
                widget->setFocus(press.shift ? Qt::BacktabFocusReason : Qt::TabFocusReason);
        },
        [this](CommandButton& target) {
            if (PushButton* widget = widgetOf(&target))
                widget->click();
        });
}

void FormWidget::hideEvent(QHideEvent*)
{
    if (form_ != nullptr)
        form_->surface()->cancelPress();
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
    void invalidate(const PixelRect& area) override { widget_->update(widget_->toLogical(area)); }
    void renamed(const Control& control) override { nameChanged(*widget_, control); }
    void refit() override { widget_->refit(); }
    void described(const Control& control) override { descriptionChanged(*widget_, control); }
    bool announces() const override { return hasAnnouncements(); }
    void announce(const Control& source, std::u16string_view text) override
    {
        announced(*widget_, source, text);
    }

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
