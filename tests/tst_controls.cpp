// The forms layer's controls and windows: change events inside the caption
// assignment, control arrays, property values, and a window's life.
#include "forms/application.h"
#include "forms/controls.h"
#include "forms/error.h"
#include "forms/form.h"
#include "probe_form.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <string>
#include <vector>

using namespace forms;

namespace {

using probe::CountingPeer;
using probe::ProbeForm;
using probe::Recorder;

template <class F> int errorOf(F&& f)
{
    try {
        f();
    } catch (const RuntimeError& e) {
        return static_cast<int>(e.number());
    }
    return 0;
}

} // namespace

class TestControls : public QObject
{
    Q_OBJECT

private slots:
    void changeRunsInsideTheAssignment()
    {
        ProbeForm form;
        form.Load();
        Label& label = form.label("single");
        std::vector<std::u16string> seen;
        label.Change = [&] { seen.push_back(label.Caption()); };
        label.setCaption(u"one");
        // The handler has run, and seen the new text, before the assignment returns.
        QCOMPARE(seen.size(), std::size_t(1));
        QCOMPARE(seen.front(), std::u16string(u"one"));
    }

    void changeNestsInsideItself()
    {
        ProbeForm form;
        form.Load();
        Label& label = form.label("single");
        std::vector<std::string> trace;
        int depth = 0;
        label.Change = [&] {
            ++depth;
            trace.push_back("enter " + std::to_string(depth) + " " +
                            QString::fromStdU16String(label.Caption()).toStdString());
            if (label.Caption() == u"12")
                label.setCaption(u"0");
            trace.push_back("leave " + std::to_string(depth) + " " +
                            QString::fromStdU16String(label.Caption()).toStdString());
            --depth;
        };
        label.setCaption(u"12");
        const std::vector<std::string> expected = {"enter 1 12", "enter 2 0", "leave 2 0",
                                                   "leave 1 0"};
        QCOMPARE(trace, expected);
    }

    void changeOnEveryWrite()
    {
        // The same text again still raises Change, so a refill at an unchanged
        // count is seen by whoever listens.
        ProbeForm form;
        form.Load();
        Label& label = form.label("single");
        int changes = 0;
        label.Change = [&] { ++changes; };
        label.setCaption(u"same");
        label.setCaption(u"same");
        QCOMPARE(changes, 2);
    }

    void observerSeesEveryWritePeerOnlyChanges()
    {
        ProbeForm form;
        form.Load();
        Recorder recorder;
        form.setWriteObserver(&recorder);
        Label& label = form.label("single");
        ControlPeer* drawn = label.peer();
        QVERIFY(drawn != nullptr);
        CountingPeer peer;
        label.attach(&peer);
        label.setCaption(u"start"); // unchanged
        label.setForeColor(label.ForeColor());
        label.setAlignment(label.Alignment());
        QCOMPARE(peer.changes, 0);
        label.setCaption(u"new");
        label.setForeColor(kRed);
        label.setAlignment(AlignRight);
        QCOMPARE(peer.changes, 3);
        label.attach(drawn);
        const std::vector<std::string> expected = {"single.Caption",   "single.ForeColor",
                                                   "single.Alignment", "single.Caption",
                                                   "single.ForeColor", "single.Alignment"};
        QCOMPARE(recorder.writes, expected);
    }

    void colorsKeptExactly_data()
    {
        QTest::addColumn<uint>("color");
        QTest::newRow("black") << 0u;
        QTest::newRow("red") << 0xFFu;
        QTest::newRow("white") << 0xFFFFFFu;
        QTest::newRow("window text") << 0x80000008u;
        QTest::newRow("window background") << 0x80000005u;
        QTest::newRow("last system colour") << 0x80000018u;
    }
    void colorsKeptExactly()
    {
        QFETCH(uint, color);
        ProbeForm form;
        form.Load();
        Label& label = form.label("single");
        label.setForeColor(color);
        QCOMPARE(label.ForeColor(), Color(color));
    }

    void invalidPropertyValues_data()
    {
        QTest::addColumn<uint>("color");
        QTest::addColumn<int>("alignment");
        QTest::newRow("colour beyond 24 bits") << 0x01000000u << 0;
        QTest::newRow("unknown system colour") << 0x80000019u << 0;
        QTest::newRow("toggled system colour") << (0x80000008u ^ 0xFFu) << 0;
        QTest::newRow("alignment 3") << 0u << 3;
        QTest::newRow("alignment -1") << 0u << -1;
    }
    void invalidPropertyValues()
    {
        QFETCH(uint, color);
        QFETCH(int, alignment);
        ProbeForm form;
        form.Load();
        Label& label = form.label("single");
        const Color before = label.ForeColor();
        QCOMPARE(errorOf([&] {
                     label.setForeColor(color);
                     label.setAlignment(std::int16_t(alignment));
                 }),
                 int(ErrorNumber::InvalidPropertyValue));
        if (isValidColor(color))
            QCOMPARE(label.ForeColor(), Color(color));
        else
            QCOMPARE(label.ForeColor(), before);
    }

    void controlArray_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("exists");
        QTest::newRow("lowest") << 5 << true;
        QTest::newRow("gap") << 6 << false;
        QTest::newRow("middle") << 7 << true;
        QTest::newRow("highest") << 8 << true;
        QTest::newRow("below") << 4 << false;
        QTest::newRow("above") << 9 << false;
        QTest::newRow("negative") << -1 << false;
        QTest::newRow("huge") << (1 << 30) << false;
    }
    void controlArray()
    {
        QFETCH(int, index);
        QFETCH(bool, exists);
        ProbeForm form;
        form.Load();
        LabelArray& cells = form.labelArray("cells");
        QCOMPARE(cells.count(), std::size_t(3));
        QCOMPARE(cells.lowerBound(), 5);
        QCOMPARE(cells.upperBound(), 8);
        QCOMPARE(cells.contains(index), exists);
        const int error = errorOf([&] { QCOMPARE(cells(index).index(), std::int16_t(index)); });
        QCOMPARE(error, exists ? 0 : int(ErrorNumber::SubscriptOutOfRange));
    }

    // A reader that goes line by line meets the lines a label shows: a closing
    // break adds none, an empty line between two stays.
    void accessibleLines_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("one line") << "one" << QStringList{"one"};
        QTest::newRow("empty") << "" << QStringList{""};
        QTest::newRow("closing return") << "one\r" << QStringList{"one"};
        QTest::newRow("returns") << "one\rtwo\r\rfour\r" << QStringList{"one", "two", "", "four"};
        QTest::newRow("return and feed") << "one\r\ntwo" << QStringList{"one", "two"};
        QTest::newRow("feeds") << "one\n\ntwo\n" << QStringList{"one", "", "two"};
        QTest::newRow("only a return") << "\r" << QStringList{""};
        QTest::newRow("two returns") << "\r\r" << QStringList{"", ""};
    }
    void accessibleLines()
    {
        QFETCH(QString, caption);
        QFETCH(QStringList, lines);
        ProbeForm form;
        form.Load();
        Label& label = form.label("single");
        label.setCaption(caption.toStdU16String());
        QStringList got;
        for (const std::u16string& line : label.accessibleLines())
            got << QString::fromStdU16String(line);
        QCOMPARE(got, lines);
    }

    // Labels are static text and buttons push buttons; only buttons take the
    // focus. A button's action is "Press", a label's only while a click on it
    // does something, unless the window names it.
    void accessibleRolesAndActions()
    {
        ProbeForm form;
        form.Load();
        Label& label = form.label("single");
        CommandButton& button = form.button("go");
        QCOMPARE(label.accessibleRole(), AccessibleRole::StaticText);
        QCOMPARE(button.accessibleRole(), AccessibleRole::PushButton);
        QVERIFY(!label.takesFocus());
        QVERIFY(button.takesFocus());
        QCOMPARE(button.accessibleAction(), std::u16string(u"Press"));
        QCOMPARE(label.accessibleAction(), std::u16string());
        int clicks = 0;
        label.Click = [&] { ++clicks; };
        QCOMPARE(label.accessibleAction(), std::u16string(u"Press"));
        label.AccessibleAction = [&] { return clicks == 0 ? u"Wake" : u"Sleep"; };
        QCOMPARE(label.accessibleAction(), std::u16string(u"Wake"));
        static_cast<Control&>(label).raiseClick();
        QCOMPARE(clicks, 1);
        QCOMPARE(label.accessibleAction(), std::u16string(u"Sleep"));
    }

    void lookups()
    {
        ProbeForm form;
        QCOMPARE(errorOf([&] { form.label("single"); }), int(ErrorNumber::ObjectNotLoaded));
        form.Load();
        QCOMPARE(form.label("single").Caption(), std::u16string(u"start"));
        QCOMPARE(form.button("go").Caption(), std::u16string_view(u"Go"));
        QCOMPARE(errorOf([&] { form.label("missing"); }), int(ErrorNumber::InvalidCall));
        QCOMPARE(errorOf([&] { form.label("go"); }), int(ErrorNumber::InvalidCall));
        QCOMPARE(errorOf([&] { form.labelArray("single"); }), int(ErrorNumber::InvalidCall));
        QCOMPARE(form.controls().size(), std::size_t(5));
    }

    void loadRunsOnceBeforeShow()
    {
        ProbeForm form;
        bool visibleDuringLoad = true;
        form.onLoad = [&] { visibleDuringLoad = form.visible(); };
        form.Show();
        QCOMPARE(form.loads, 1);
        QVERIFY(!visibleDuringLoad);
        QVERIFY(form.visible());
        form.Show();
        form.Load();
        QCOMPARE(form.loads, 1);
        form.Hide();
        QVERIFY(!form.visible());
        QVERIFY(form.loaded());
        form.Show();
        QCOMPARE(form.loads, 1);
    }

    void unloadDestroysAndReloadRebuilds()
    {
        ProbeForm form;
        form.Show();
        form.label("single").setCaption(u"changed");
        QVERIFY(form.Unload());
        QCOMPARE(form.unloads, 1);
        QVERIFY(!form.loaded());
        QVERIFY(!form.visible());
        QVERIFY(form.controls().empty());
        QCOMPARE(form.peer(), nullptr);
        form.Show();
        QCOMPARE(form.loads, 2);
        QCOMPARE(form.label("single").Caption(), std::u16string(u"start"));
    }

    void cancelledUnloadKeepsTheWindow()
    {
        ProbeForm form;
        form.Show();
        form.cancelWith = 1;
        QVERIFY(!form.Unload());
        QVERIFY(form.loaded());
        QVERIFY(form.visible());
    }

    void closingFromTheWindowSystem()
    {
        ProbeForm form;
        form.Show();
        QWidget* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "probe" && w->isVisible())
                window = w;
        QVERIFY(window != nullptr);
        QVERIFY(window->close());
        QCOMPARE(form.unloads, 1);
        QVERIFY(!form.loaded());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
