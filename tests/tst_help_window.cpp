// The help window: its text to the code point, and its life beside the main window.
#include "help_text_expected.h"
#include "ui/help_window.h"
#include "ui/layouts.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QTest>

using namespace forms;

namespace {

QList<QWidget*> visibleWindows(const char* name)
{
    QList<QWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            found.append(w);
    return found;
}

void processDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

using helptest::CaptionWrites;
using helptest::expectedCaption;
using helptest::kExpectedLines;

// The offscreen platform says on every raise() that it cannot raise a window.
QtMessageHandler forwardMessage = nullptr;
void dropRaiseWarning(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (!text.contains(QLatin1String("does not support raise()")) && forwardMessage != nullptr)
        forwardMessage(type, context, text);
}

} // namespace

class TestHelpWindow : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { processDeletes(); }

    void layout()
    {
        const FormLayout& layout = ui::kHelpLayout;
        QCOMPARE(layout.name, std::string_view("help"));
        QCOMPARE(layout.caption, std::u16string_view(u"HELP"));
        QCOMPARE(layout.clientWidth, 7890);
        QCOMPARE(layout.clientHeight, 2190);
        QCOMPARE(layout.startUpPosition, StartUpPosition::WindowsDefault);
        QCOMPARE(layout.controls.size(), std::size_t(1));
        const ControlRow& label = layout.controls[0];
        QCOMPARE(label.name, std::string_view("Label1"));
        QCOMPARE(label.rect, (Rect{0, 120, 7815, 1815}));
        QCOMPARE(label.style->font, (FontSpec{u"ＭＳ 明朝", 9, 400, 128}));
        QCOMPARE(label.caption, std::u16string_view(u""));
        QCOMPARE(label.tabIndex, std::int16_t(0));
        QVERIFY(isSystemColor(layout.backColor));
    }

    void textToTheCodePoint()
    {
        const auto lines = ui::HelpWindow::usageLines();
        for (int i = 0; i < 9; ++i)
            QCOMPARE(lines[std::size_t(i)], kExpectedLines[i]);

        ui::HelpWindow help;
        help.Show();
        QCOMPARE(help.label("Label1").Caption(), expectedCaption());
        QCOMPARE(help.lineTable()[0], std::u16string());
        QCOMPARE(help.lineTable()[10], std::u16string());
        for (int i = 1; i <= 9; ++i)
            QCOMPARE(help.lineTable()[std::size_t(i)], kExpectedLines[i - 1]);
        // The label breaks at each lone carriage return: nine lines, the eighth empty.
        QWidget* window = visibleWindows("help").value(0);
        QVERIFY(window != nullptr);
        QCOMPARE(window->size(), QSize(526, 146));
        QWidget* label = window->findChild<QWidget*>("Label1");
        QCOMPARE(label->geometry(), QRect(0, 8, 521, 121));
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    }

    void everyLineShowsInsideTheLabel()
    {
        ui::HelpWindow help;
        help.Show();
        QWidget* label = visibleWindows("help").value(0)->findChild<QWidget*>("Label1");
        const QImage image = label->grab().toImage();
        // Bands of pixel rows with ink: one per non-empty line, all within the box.
        QList<QPair<int, int>> bands;
        bool inBand = false;
        for (int y = 0; y < image.height(); ++y) {
            bool ink = false;
            for (int x = 0; x < image.width() && !ink; ++x)
                ink = qGray(image.pixel(x, y)) < 100;
            if (ink && !inBand)
                bands.append({y, y});
            if (ink)
                bands.last().second = y;
            inBand = ink;
        }
        // Underscores and descenders may join neighbouring lines into one band.
        QVERIFY2(bands.size() >= 6, qPrintable(QString::number(bands.size())));
        // The home-page line stands alone after the empty line, whole, above the bottom.
        const auto last = bands.last();
        const auto beforeLast = bands.at(bands.size() - 2);
        QVERIFY(last.first - beforeLast.second > 8);
        QVERIFY(last.second < image.height() - 1);
        QVERIFY(last.second - last.first >= 8);
    }

    void openTwiceIsOneWindowOneText()
    {
        ui::MainWindow main;
        main.Show();
        QVERIFY(main.helpWindow() == nullptr);
        main.button("help_pb").raiseClick();
        ui::HelpWindow* help = main.helpWindow();
        QVERIFY(help != nullptr);
        CaptionWrites writes;
        help->setWriteObserver(&writes);
        main.button("help_pb").raiseClick();
        QCOMPARE(main.helpWindow(), help);
        QCOMPARE(writes.count, 0); // no reload
        QCOMPARE(visibleWindows("help").size(), 1);
        QCOMPARE(help->label("Label1").Caption(), expectedCaption());
    }

    void reopenAfterClose()
    {
        ui::MainWindow main;
        main.Show();
        main.button("help_pb").raiseClick();
        ui::HelpWindow* help = main.helpWindow();
        QPointer<QWidget> first = visibleWindows("help").value(0);
        QVERIFY(first);
        first->move(300, 200);
        QVERIFY(first->close());
        processDeletes();
        QVERIFY(!first); // the window is gone ...
        QVERIFY(!help->loaded());
        QVERIFY(visibleWindows("help").isEmpty());
        QCOMPARE(main.helpWindow(), help); // ... the instance and its line table stay
        QCOMPARE(help->lineTable()[1], kExpectedLines[0]);
        QVERIFY(visibleWindows("main").size() == 1);

        CaptionWrites writes;
        help->setWriteObserver(&writes);
        main.button("help_pb").raiseClick();
        QCOMPARE(writes.count, 10); // emptied, then nine lines appended
        QCOMPARE(help->label("Label1").Caption(), expectedCaption());
        QWidget* second = visibleWindows("help").value(0);
        QVERIFY(second != nullptr);
        QCOMPARE(second->size(), QSize(526, 146));
        QVERIFY(second->pos() != QPoint(300, 200));
    }

    void aTopLevelWindowOfItsOwn()
    {
        ui::MainWindow main;
        main.Show();
        main.button("help_pb").raiseClick();
        QWidget* window = visibleWindows("help").value(0);
        QVERIFY(window->isWindow());
        QCOMPARE(window->parentWidget(), nullptr);
        QVERIFY(!(window->windowFlags() & Qt::WindowStaysOnTopHint));
        QVERIFY(!(window->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(window->windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!window->isModal());
        QCOMPARE(window->windowTitle(), QStringLiteral("HELP"));
        for (QWidget* child : window->findChildren<QWidget*>())
            QCOMPARE(child->focusPolicy(), Qt::NoFocus);
    }

    void mainStaysUsable()
    {
        ui::MainWindow main;
        main.Show();
        main.button("help_pb").raiseClick();
        main.button("up_1").raiseClick();
        main.labelArray("org")(3).raiseClick();
        QCOMPARE(main.label("ud_3").Caption(), std::u16string(u"1"));
        QCOMPARE(main.labelArray("conv")(43).ForeColor(), Color(0xFF));
        QVERIFY(main.helpWindow()->visible());
    }

    // A thousand opens and closes leave nothing behind: every window and widget
    // goes with its close, and the sanitizer build's leak check at exit finds
    // nothing lost on the way.
    void thousandOpensAndCloses()
    {
        ui::MainWindow main;
        main.Show();
        const qsizetype widgets = QApplication::allWidgets().size();
        forwardMessage = qInstallMessageHandler(dropRaiseWarning);
        for (int n = 0; n < 1000; ++n) {
            main.button("help_pb").raiseClick();
            const QList<QWidget*> open = visibleWindows("help");
            if (open.size() != 1 || !open.front()->close())
                break;
            processDeletes();
            if (QApplication::allWidgets().size() != widgets)
                break;
        }
        qInstallMessageHandler(forwardMessage);
        QVERIFY(visibleWindows("help").isEmpty());
        QCOMPARE(QApplication::allWidgets().size(), widgets);
        QVERIFY(!main.helpWindow()->loaded());
        QVERIFY(main.helpWindow()->controls().empty());
        main.button("help_pb").raiseClick();
        QCOMPARE(main.helpWindow()->label("Label1").Caption(), expectedCaption());
    }
};

QTEST_MAIN(TestHelpWindow)
#include "tst_help_window.moc"
