// What the Qt bridge gives a screen reader: names, descriptions, roles, the
// press action, and names that follow the state after every press, in
// process, so that the sanitizer run goes through the bridge too. The tree as
// a reader walks it is test_atspi.py's to judge.
#include "ui/main_window.h"

#include "forms/accessible.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <memory>

namespace {

QWidget* topLevel(const char* name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return w;
    return nullptr;
}

ui::MainWindow* mainWindow = nullptr;

// The interface for the control with this layout name, where the core's
// reader tree puts it: a child of the window, or of the window's table.
QAccessibleInterface* accessible(const QString& name)
{
    QAccessibleInterface* parent = QAccessible::queryAccessibleInterface(topLevel("main"));
    forms::Control* control = mainWindow->find(
        name.section('(', 0, 0).toStdString(),
        name.contains('(') ? static_cast<std::int16_t>(name.section('(', 1).chopped(1).toInt())
                           : forms::kNoIndex);
    if (parent == nullptr || control == nullptr)
        return nullptr;
    const forms::AccessibleTree tree(*mainWindow);
    std::vector<forms::AccessibleElement> level = tree.children({});
    if (tree.placeOf(*control)) {
        const forms::AccessibleElement table{nullptr, -1, forms::kWholeTable};
        parent = parent->child(
            static_cast<int>(std::find(level.begin(), level.end(), table) - level.begin()));
        level = tree.children(table);
    }
    const auto found = std::find(level.begin(), level.end(), forms::AccessibleElement{control});
    return parent != nullptr && found != level.end()
               ? parent->child(static_cast<int>(found - level.begin()))
               : nullptr;
}

QString spokenName(const QString& name)
{
    QAccessibleInterface* iface = accessible(name);
    return iface != nullptr ? iface->text(QAccessible::Name) : QStringLiteral("<missing>");
}

// What a screen reader calls the control's press.
QString actionName(const QString& name)
{
    QAccessibleInterface* iface = accessible(name);
    QAccessibleActionInterface* actions = iface != nullptr ? iface->actionInterface() : nullptr;
    return actions != nullptr
               ? actions->localizedActionName(QAccessibleActionInterface::pressAction())
               : QStringLiteral("<missing>");
}

bool press(const QString& name)
{
    QAccessibleInterface* iface = accessible(name);
    QAccessibleActionInterface* actions = iface != nullptr ? iface->actionInterface() : nullptr;
    if (actions == nullptr ||
        !actions->actionNames().contains(QAccessibleActionInterface::pressAction()))
        return false;
    actions->doAction(QAccessibleActionInterface::pressAction());
    return true;
}

const char* const kWords[12] = {
    "C", "C sharp or D flat", "D", "D sharp or E flat", "E", "F", "F sharp or G flat",
    "G", "G sharp or A flat", "A", "A sharp or B flat", "B",
};

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        main_ = std::make_unique<ui::MainWindow>();
        main_->Show();
        mainWindow = main_.get();
    }

    void cleanup()
    {
        main_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void startNames_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("role");
        QTest::addColumn<bool>("pressable");
        QTest::addColumn<QString>("action"); // what the press is called
        QTest::addColumn<QString>("description");
        const int text = QAccessible::StaticText;
        const int cell = QAccessible::Cell;
        const int heading = QAccessible::ColumnHeader;
        const int button = QAccessible::PushButton;
        const char* const keys[12] = {"C",       "Shift+C", "D",       "Shift+D", "E",       "F",
                                      "Shift+F", "G",       "Shift+G", "A",       "Shift+A", "B"};
        for (int r = 0; r < 12; ++r) {
            const QString org = QStringLiteral("org(%1)").arg(r);
            QTest::newRow(qPrintable(org)) << org << kWords[r] << cell << true << "Mark"
                                           << QStringLiteral("Key %1").arg(keys[r]);
        }
        const struct
        {
            const char* control;
            const char* name;
            int role;
            const char* description;
        } rows[] = {
            {"conv(0)", "C", cell, ""},
            {"conv(24)", "E", cell, ""},
            {"conv(46)", "F sharp or G flat", cell, ""},
            {"conv(51)", "B", cell, ""},
            {"ud_1", "Converted_1 shift 0", text, ""},
            {"ud_2", "Converted_2 shift 0", text, ""},
            {"ud_3", "Converted_3 shift 0", text, ""},
            {"Label100", "Original", heading, ""},
            {"Label101(2)", "Converted_3, shift 0", heading, ""},
            {"dn_1", "Down, Converted_1", button,
             "Lowers Converted_1, Converted_2 and Converted_3 by a semitone"},
            {"up_1", "Up, Converted_1", button,
             "Raises Converted_1, Converted_2 and Converted_3 by a semitone"},
            {"dn_2", "Down, Converted_2", button,
             "Lowers Converted_2 and Converted_3 by a semitone"},
            {"up_2", "Up, Converted_2", button, "Raises Converted_2 and Converted_3 by a semitone"},
            {"dn_3", "Down, Converted_3", button, "Lowers Converted_3 by a semitone"},
            {"up_3", "Up, Converted_3", button, "Raises Converted_3 by a semitone"},
            {"reset", "Reset", button, "Sets every count to 0 and clears every mark"},
            {"help_pb", "Help", button, "Opens a short usage text"},
        };
        for (const auto& row : rows) {
            const bool isButton = row.role == button;
            QTest::newRow(row.control) << row.control << row.name << row.role << isButton
                                       << (isButton ? "Press" : "") << row.description;
        }
    }

    void startNames()
    {
        QFETCH(QString, control);
        QFETCH(QString, name);
        QFETCH(int, role);
        QFETCH(bool, pressable);
        QFETCH(QString, action);
        QFETCH(QString, description);
        QAccessibleInterface* iface = accessible(control);
        QVERIFY(iface != nullptr);
        QCOMPARE(iface->text(QAccessible::Name), name);
        // What it does, never the layout's name for it.
        QCOMPARE(iface->text(QAccessible::Description), description);
        QCOMPARE(int(iface->role()), role);
        QAccessibleActionInterface* actions = iface->actionInterface();
        QCOMPARE(actions != nullptr &&
                     actions->actionNames().contains(QAccessibleActionInterface::pressAction()),
                 pressable);
        if (pressable) {
            const QString press = QAccessibleActionInterface::pressAction();
            QCOMPARE(actions->localizedActionName(press), action);
            QCOMPARE(actions->localizedActionDescription(press), action);
        }
        if (role != QAccessible::PushButton) {
            QVERIFY(!iface->state().focusable);
            QVERIFY(!iface->state().focused);
        }
    }

    // Each row presses controls through their accessible action, then checks
    // what some controls say.
    void namesFollowTheState_data()
    {
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<QStringList>("expected"); // "control=name" or "control~action"
        QTest::newRow("mark E")
            << QStringList{"org(4)"}
            << QStringList{"org(4)=E, marked",          "conv(4)=E, marked", "conv(24)=E, marked",
                           "conv(44)=E, marked",        "org(5)=F",          "conv(5)=F",
                           "conv(3)=D sharp or E flat", "org(4)~Unmark",     "org(5)~Mark"};
        QTest::newRow("mark and unmark")
            << QStringList{"org(4)", "org(7)", "org(4)"}
            << QStringList{"org(4)=E",           "conv(24)=E",  "org(7)=G, marked",
                           "conv(47)=G, marked", "org(4)~Mark", "org(7)~Unmark"};
        QTest::newRow("mark, then up 1") << QStringList{"org(4)", "up_1"}
                                         << QStringList{"ud_1=Converted_1 shift 1",
                                                        "ud_2=Converted_2 shift 1",
                                                        "ud_3=Converted_3 shift 1",
                                                        "org(4)=E, marked",
                                                        "conv(4)=F, marked",
                                                        "conv(44)=F, marked",
                                                        "conv(3)=E",
                                                        "conv(11)=C"};
        QTest::newRow("chain") << QStringList{"up_1", "up_2", "dn_3", "dn_3"}
                               << QStringList{"ud_1=Converted_1 shift 1",
                                              "ud_2=Converted_2 shift 2",
                                              "ud_3=Converted_3 shift 0",
                                              "conv(20)=D",
                                              "conv(40)=C",
                                              "conv(0)=C sharp or D flat"};
        QTest::newRow("down 1 from the start")
            << QStringList{"dn_1"}
            << QStringList{"ud_1=Converted_1 shift -1", "ud_3=Converted_3 shift -1", "conv(0)=B",
                           "conv(21)=C"};
        QTest::newRow("reset") << QStringList{"org(1)", "up_2", "reset"}
                               << QStringList{"org(1)=C sharp or D flat",
                                              "conv(21)=C sharp or D flat",
                                              "ud_2=Converted_2 shift 0", "conv(20)=C"};
    }

    void namesFollowTheState()
    {
        QFETCH(QStringList, presses);
        QFETCH(QStringList, expected);
        for (const QString& name : presses)
            QVERIFY2(press(name), qPrintable(name));
        for (const QString& pair : expected) {
            if (pair.contains(QLatin1Char('~'))) {
                QCOMPARE(actionName(pair.section(QLatin1Char('~'), 0, 0)),
                         pair.section(QLatin1Char('~'), 1));
                continue;
            }
            const QString name = pair.section(QLatin1Char('='), 0, 0);
            QCOMPARE(spokenName(name), pair.section(QLatin1Char('='), 1));
        }
    }

private:
    std::unique_ptr<ui::MainWindow> main_;
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
