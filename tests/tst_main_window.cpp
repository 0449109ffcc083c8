// The main window: its layout table, the live widgets built from it, the
// fonts that draw it, and the keyboard.
#include "conversion/note_names.h"
#include "forms/qt/qt_fonts.h"
#include "ui/layouts.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPushButton>
#include <QSet>
#include <QTest>

#include <map>
#include <set>

using namespace forms;

namespace {

const ControlRow* row(std::string_view name, int index = kNoIndex)
{
    for (const ControlRow& r : ui::kMainLayout.controls)
        if (r.name == name && r.index == index)
            return &r;
    return nullptr;
}

// Column left edges and widths of the key table, in twips.
struct ColumnRule
{
    const char* array;
    int base;
    int left;
    int width;
};
constexpr ColumnRule kColumns[] = {{"org", 0, 120, 1095},
                                   {"conv", 0, 1320, 1455},
                                   {"conv", 20, 2880, 1455},
                                   {"conv", 40, 4440, 1455}};

QWidget* topLevel(const char* name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name) && w->isVisible())
            return w;
    return nullptr;
}

QString cellName(const char* array, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(index);
}

bool isDark(QRgb pixel)
{
    return qRed(pixel) < 80 && qGreen(pixel) < 80 && qBlue(pixel) < 80;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void windowProperties()
    {
        const FormLayout& layout = ui::kMainLayout;
        QCOMPARE(layout.name, std::string_view("main"));
        QCOMPARE(layout.caption, std::u16string_view(u"Marelo"));
        QCOMPARE(layout.clientWidth, 6015);
        QCOMPARE(layout.clientHeight, 4305);
        QCOMPARE(layout.backColor, Color(0x00FFFFFF));
        QCOMPARE(layout.startUpPosition, StartUpPosition::CenterScreen);
    }

    void declarationOrder()
    {
        const std::vector<std::string_view> expected = {
            "help_pb", "up_1",  "dn_1",  "Label100", "org",      "Line4",  "Line3",
            "Line2",   "Line1", "ud_1",  "conv",     "Label101", "up_2",   "dn_2",
            "dn_3",    "Line6", "Line7", "up_3",     "Line9",    "Line10", "ud_2",
            "ud_3",    "Line5", "Line8", "Line11",   "Line12",   "reset"};
        std::vector<std::string_view> names;
        for (const ControlRow& r : ui::kMainLayout.controls)
            if (names.empty() || names.back() != r.name)
                names.push_back(r.name);
        QCOMPARE(names, expected);
        QCOMPARE(ui::kMainLayout.controls.size(), std::size_t(75));
    }

    void arrays()
    {
        std::map<std::string_view, std::set<int>> members;
        std::set<std::pair<std::string_view, int>> seen;
        for (const ControlRow& r : ui::kMainLayout.controls) {
            QVERIFY2(seen.insert({r.name, r.index}).second, r.name.data());
            if (r.index != kNoIndex)
                members[r.name].insert(r.index);
        }
        std::set<int> conv;
        for (int base : {0, 20, 40})
            for (int i = 0; i < 12; ++i)
                conv.insert(base + i);
        QCOMPARE(members["conv"], conv);
        QCOMPARE(members["conv"].size(), std::size_t(36));
        QCOMPARE(members["org"], (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
        QCOMPARE(members["Label101"], (std::set<int>{0, 1, 2}));
        QCOMPARE(members.size(), std::size_t(3));
    }

    void noteCells_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("r");
        for (int column = 0; column < 4; ++column)
            for (int r = 0; r < 12; ++r)
                QTest::addRow("column %d row %d", column, r) << column << r;
    }
    void noteCells()
    {
        QFETCH(int, column);
        QFETCH(int, r);
        const ColumnRule& rule = kColumns[column];
        const ControlRow* cell = row(rule.array, rule.base + r);
        QVERIFY(cell != nullptr);
        QCOMPARE(cell->kind, ControlKind::Label);
        QCOMPARE(cell->rect, (Rect{rule.left, 360 + 240 * r, rule.width, 255}));
        QCOMPARE(QString::fromStdU16String(std::u16string(cell->caption)),
                 cellName(rule.array, rule.base + r));
        const ControlStyle& s = *cell->style;
        QCOMPARE(s.font, (FontSpec{u"ＭＳ Ｐゴシック", 9.75, 700, 128}));
        QCOMPARE(s.foreColor, Color(0x80000008));
        QCOMPARE(s.backColor, Color(0x80000005));
        QCOMPARE(s.border, BorderStyle::FixedSingle);
        QCOMPARE(s.alignment, AlignLeft);
        QVERIFY(!s.autoSize);
    }

    void headings_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("width");
        QTest::newRow("Original") << "Label100" << int(kNoIndex) << "Original" << 120 << 630;
        QTest::newRow("Converted_1") << "Label101" << 0 << "Converted_1" << 1320 << 1050;
        QTest::newRow("Converted_2") << "Label101" << 1 << "Converted_2" << 2880 << 1050;
        QTest::newRow("Converted_3") << "Label101" << 2 << "Converted_3" << 4440 << 1050;
    }
    void headings()
    {
        QFETCH(QString, name);
        QFETCH(int, index);
        QFETCH(QString, caption);
        QFETCH(int, left);
        QFETCH(int, width);
        const std::string n = name.toStdString();
        const ControlRow* r = row(n, index);
        QVERIFY(r != nullptr);
        QCOMPARE(r->rect, (Rect{left, 120, width, 195}));
        QCOMPARE(QString::fromStdU16String(std::u16string(r->caption)), caption);
        QCOMPARE(r->style->font, (FontSpec{u"ＭＳ Ｐゴシック", 9.75, 400, 128}));
        QCOMPARE(r->style->backColor, Color(0xFFFFFF));
        QCOMPARE(r->style->border, BorderStyle::None);
        QVERIFY(r->style->autoSize);
    }

    void shiftAreas_data()
    {
        QTest::addColumn<int>("k");
        QTest::addColumn<QStringList>("box"); // top, right, bottom, left
        QTest::addColumn<int>("udLeft");
        QTest::addColumn<int>("udTop");
        QTest::newRow("1") << 1 << QStringList{"Line4", "Line3", "Line2", "Line1"} << 1905 << 3465;
        QTest::newRow("2") << 2 << QStringList{"Line6", "Line7", "Line9", "Line10"} << 3480 << 3480;
        QTest::newRow("3") << 3 << QStringList{"Line12", "Line11", "Line8", "Line5"} << 5040
                           << 3480;
    }
    void shiftAreas()
    {
        QFETCH(int, k);
        QFETCH(QStringList, box);
        QFETCH(int, udLeft);
        QFETCH(int, udTop);
        const int x = kColumns[k].left;
        auto ends = [](const QString& name) {
            const ControlRow* r = row(name.toStdString());
            return r ? std::array<int, 4>{r->rect.left, r->rect.top, r->rect.width, r->rect.height}
                     : std::array<int, 4>{};
        };
        QCOMPARE(ends(box[0]), (std::array<int, 4>{x, 3360, x + 1440, 3360}));
        QCOMPARE(ends(box[1]), (std::array<int, 4>{x + 1440, 3360, x + 1440, 4200}));
        QCOMPARE(ends(box[2]), (std::array<int, 4>{x, 4200, x + 1440, 4200}));
        QCOMPARE(ends(box[3]), (std::array<int, 4>{x, 3360, x, 4200}));
        // The box's right side is the last pixel column of the cells above it.
        QCOMPARE(pixels(x + 1440), pixels(x) + pixels(1455) - 1);

        const std::string n = std::to_string(k);
        const ControlRow* ud = row("ud_" + n);
        QCOMPARE(ud->rect, (Rect{udLeft, udTop, 255, 255}));
        QCOMPARE(ud->style->font, (FontSpec{u"ＭＳ Ｐゴシック", 11.25, 700, 128}));
        QCOMPARE(ud->style->alignment, AlignCenter);
        QCOMPARE(ud->caption, std::u16string_view(u"0"));
        QCOMPARE(row("dn_" + n)->rect, (Rect{x + 120, 3720, 615, 375}));
        QCOMPARE(row("up_" + n)->rect, (Rect{x + 720, 3720, 615, 375}));
        QCOMPARE(row("dn_" + n)->caption, std::u16string_view(u"Down"));
        QCOMPARE(row("up_" + n)->caption, std::u16string_view(u"Up"));
        QVERIFY(row("up_" + n)->style->font.isDefault());
    }

    void buttonsUnderOriginal()
    {
        QCOMPARE(row("reset")->rect, (Rect{120, 3360, 1095, 375}));
        QCOMPARE(row("reset")->caption, std::u16string_view(u"RESET"));
        QVERIFY(row("reset")->style->font.isDefault());
        QCOMPARE(row("help_pb")->rect, (Rect{120, 3840, 375, 375}));
        QCOMPARE(row("help_pb")->caption, std::u16string_view(u"\uFF1F"));
        QCOMPARE(row("help_pb")->style->font, (FontSpec{u"ＭＳ 明朝", 9, 400, 128}));
    }

    void tabIndexes()
    {
        std::map<int, std::string> byTab;
        for (const ControlRow& r : ui::kMainLayout.controls) {
            if (r.kind == ControlKind::Line) {
                QCOMPARE(r.tabIndex, std::int16_t(-1));
                continue;
            }
            std::string name(r.name);
            if (r.index != kNoIndex)
                name += "(" + std::to_string(r.index) + ")";
            QVERIFY2(byTab.emplace(r.tabIndex, name).second, name.c_str());
        }
        QCOMPARE(byTab.size(), std::size_t(63));
        QCOMPARE(byTab.begin()->first, 0);
        QCOMPARE(byTab.rbegin()->first, 62);
        std::vector<std::string> expected;
        for (int r = 2; r <= 11; ++r)
            expected.push_back("org(" + std::to_string(r) + ")");
        expected.push_back("Label101(0)");
        for (int i = 0; i <= 11; ++i)
            expected.push_back("conv(" + std::to_string(i) + ")");
        for (auto n :
             {"dn_1", "up_1", "ud_1", "org(1)", "org(0)", "Label100", "help_pb", "Label101(1)"})
            expected.push_back(n);
        for (int i = 31; i >= 20; --i)
            expected.push_back("conv(" + std::to_string(i) + ")");
        for (auto n : {"up_2", "dn_2", "ud_2"})
            expected.push_back(n);
        for (int i = 40; i <= 51; ++i)
            expected.push_back("conv(" + std::to_string(i) + ")");
        for (auto n : {"Label101(2)", "dn_3", "up_3", "ud_3", "reset"})
            expected.push_back(n);
        std::vector<std::string> got;
        for (auto& [tab, name] : byTab)
            got.push_back(name);
        QCOMPARE(got, expected);
    }

    void liveGeometry()
    {
        ui::MainWindow main;
        main.Show();
        QWidget* window = topLevel("main");
        QVERIFY(window != nullptr);
        QCOMPARE(window->size(), QSize(401, 287));
        QCOMPARE(window->windowTitle(), QStringLiteral("Marelo"));
        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));

        for (const ColumnRule& rule : kColumns) {
            for (int r = 0; r < 12; ++r) {
                QWidget* cell = window->findChild<QWidget*>(cellName(rule.array, rule.base + r));
                QVERIFY(cell != nullptr);
                QCOMPARE(cell->geometry(), QRect(rule.left / 15, 24 + 16 * r, rule.width / 15, 17));
                QCOMPARE(cell->focusPolicy(), Qt::NoFocus);
                if (r > 0) {
                    QWidget* above =
                        window->findChild<QWidget*>(cellName(rule.array, rule.base + r - 1));
                    QCOMPARE(above->geometry().bottom(), cell->geometry().top());
                }
            }
        }
        struct Expected
        {
            const char* name;
            QRect rect;
        };
        const Expected buttons[] = {
            {"dn_1", {96, 248, 41, 25}},  {"up_1", {136, 248, 41, 25}},
            {"dn_2", {200, 248, 41, 25}}, {"up_2", {240, 248, 41, 25}},
            {"dn_3", {304, 248, 41, 25}}, {"up_3", {344, 248, 41, 25}},
            {"reset", {8, 224, 73, 25}},  {"help_pb", {8, 256, 25, 25}},
        };
        for (const Expected& b : buttons) {
            auto* button = window->findChild<QPushButton*>(QLatin1String(b.name));
            QVERIFY2(button != nullptr, b.name);
            QCOMPARE(button->geometry(), b.rect);
        }
        QCOMPARE(window->findChild<QPushButton*>("help_pb")->text(), QString(QChar(0xFF1F)));
        // Buttons are drawn above the labels they overlap (ud_1 reaches into row 248).
        const QObjectList& children = window->children();
        const auto at = [&](const char* name) {
            return children.indexOf(window->findChild<QObject*>(QLatin1String(name)));
        };
        QVERIFY(at("dn_1") > at("ud_1"));
        QVERIFY(at("up_3") > at("conv(51)"));
        // ud_1 stands one pixel left of and above where the rule of the others puts it.
        const QWidget* ud1 = window->findChild<QWidget*>("ud_1");
        const QWidget* ud2 = window->findChild<QWidget*>("ud_2");
        QCOMPARE(ud2->geometry().center().x() - 192, ud1->geometry().center().x() - 88 + 1);
        QCOMPARE(ud1->geometry().top() + 1, ud2->geometry().top());
    }

    void renderedFrames()
    {
        ui::MainWindow main;
        main.Show();
        QWidget* window = topLevel("main");
        const QImage image = window->grab().toImage();
        QCOMPARE(image.pixel(200, 4) | 0xFF000000, QColor(Qt::white).rgb());
        for (const ColumnRule& rule : kColumns) {
            const int left = rule.left / 15, right = left + rule.width / 15 - 1;
            for (int r = 0; r <= 12; ++r) {
                const int y = 24 + 16 * r; // each frame line between rows, and the foot
                QVERIFY2(isDark(image.pixel(left + 2, y)), qPrintable(QString::number(y)));
                QVERIFY(isDark(image.pixel(right - 2, y)));
                if (r < 12) {
                    QVERIFY(isDark(image.pixel(left, y + 8)));
                    QVERIFY(isDark(image.pixel(right, y + 8)));
                    // Just inside the right frame of a left-aligned name: background.
                    QVERIFY(!isDark(image.pixel(right - 1, y + 1)));
                }
            }
            // No second line under the shared one.
            QVERIFY(!isDark(image.pixel(right - 2, 24 + 16 * 5 + 1)));
        }
        // The boxes of lines under the converted columns.
        for (int x : {88, 192, 296}) {
            QVERIFY(isDark(image.pixel(x, 230)));
            QVERIFY(isDark(image.pixel(x + 96, 230)));
            QVERIFY(isDark(image.pixel(x + 50, 224)));
            QVERIFY(isDark(image.pixel(x + 50, 280)));
            QVERIFY(!isDark(image.pixel(x + 50, 223)));
            QVERIFY(!isDark(image.pixel(x + 97, 230)));
        }
        QVERIFY(!isDark(image.pixel(5, 230))); // the Original column has no box
    }

    // Run again with QT_SCALE_FACTOR=1.5 by CTest: frames stay one device pixel.
    void scaledFramesAreOneDevicePixel()
    {
        ui::MainWindow main;
        main.Show();
        QWidget* window = topLevel("main");
        const qreal ratio = window->devicePixelRatioF();
        if (ratio == 1)
            QSKIP("drawn at one device pixel per pixel");
        const QImage image = window->grab().toImage();
        // Down the Original column, right of every name: 13 frame lines.
        const int x = int(78 * ratio);
        QList<int> runs;
        bool dark = false;
        for (int y = int(20 * ratio); y < int(220 * ratio); ++y) {
            const bool here = isDark(image.pixel(x, y));
            if (here && !dark)
                runs.append(0);
            if (here)
                ++runs.last();
            dark = here;
        }
        QCOMPARE(runs, QList<int>(13, 1));
    }

    void fonts()
    {
        const QString gothic = qt::resolveFamily(u"ＭＳ Ｐゴシック");
        const QString mincho = qt::resolveFamily(u"ＭＳ 明朝");
        qInfo("note cells: %s; help: %s; buttons: %s", qPrintable(gothic), qPrintable(mincho),
              qPrintable(QApplication::font().family()));
        QVERIFY(QFontDatabase::writingSystems(gothic).contains(QFontDatabase::Japanese));
        QVERIFY(QFontDatabase::writingSystems(mincho).contains(QFontDatabase::Japanese));
        const QFont bold = qt::resolveFont({u"ＭＳ Ｐゴシック", 9.75, 700, 128});
        QCOMPARE(bold.pixelSize(), 13);
        QVERIFY(bold.bold());
        QCOMPARE(QFontInfo(bold).family(), gothic);
        const QFontMetrics metrics(bold);
        int widest = 0;
        for (std::u16string_view name : conversion::kNoteNames)
            widest = std::max(widest, metrics.horizontalAdvance(qt::toQString(name)));
        qInfo("widest note name: %d px of 71", widest);
        QVERIFY(widest <= 71);
        // A face whose fullwidth letters all share one width cannot fit six of them.
        QVERIFY(metrics.horizontalAdvance(QStringLiteral(u"Ｉ")) <
                metrics.horizontalAdvance(QStringLiteral(u"Ｗ")));
        // Not the Latin face fontconfig hands out for a family it does not know.
        QVERIFY(!QFontDatabase::writingSystems(gothic).isEmpty());
        QVERIFY(gothic != QFontInfo(QFont(QStringLiteral("NoSuchFamilyAnywhere"))).family());
    }

    // Where the Windows faces are missing and the IPA faces installed (as
    // test.sh installs them), these are the stand-ins.
    void faceChoice_data()
    {
        QTest::addColumn<QString>("face");
        QTest::addColumn<QString>("windowsFace");
        QTest::addColumn<QString>("standIn");
        QTest::newRow("gothic") << QString::fromUtf16(u"ＭＳ Ｐゴシック") << "MS PGothic"
                                << "IPAPGothic";
        QTest::newRow("mincho") << QString::fromUtf16(u"ＭＳ 明朝") << "MS Mincho"
                                << "IPAMincho";
    }
    void faceChoice()
    {
        QFETCH(QString, face);
        QFETCH(QString, windowsFace);
        QFETCH(QString, standIn);
        if (!QFontDatabase::writingSystems(face).isEmpty() ||
            !QFontDatabase::writingSystems(windowsFace).isEmpty())
            QSKIP("the Windows face is installed here");
        if (!QFontDatabase::writingSystems(standIn).contains(QFontDatabase::Japanese))
            QSKIP("the IPA face is not installed here");
        QCOMPARE(qt::resolveFamily(face.toStdU16String()), standIn);
    }

    void focusStartsOnDn1AndTabWalksTheButtons()
    {
        ui::MainWindow main;
        main.Show();
        QWidget* window = topLevel("main");
        QVERIFY(QTest::qWaitForWindowActive(window));
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("dn_1"));
        const QStringList forward = {"up_1", "help_pb", "up_2",  "dn_2",
                                     "dn_3", "up_3",    "reset", "dn_1"};
        for (const QString& next : forward) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), next);
        }
        QStringList backward = forward;
        std::reverse(backward.begin(), backward.end());
        backward.removeFirst();
        backward.append("dn_1");
        for (const QString& previous : backward) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget()->objectName(), previous);
        }
        // A click on a label does not take the focus.
        QTest::mouseClick(window->findChild<QWidget*>("org(4)"), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("dn_1"));
    }

    void keysClickTheFocusedButton_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("space") << int(Qt::Key_Space);
        QTest::newRow("return") << int(Qt::Key_Return);
        QTest::newRow("enter") << int(Qt::Key_Enter);
    }
    void keysClickTheFocusedButton()
    {
        QFETCH(int, key);
        ui::MainWindow main;
        main.Show();
        QVERIFY(QTest::qWaitForWindowActive(topLevel("main")));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        for (const char* ud : {"ud_1", "ud_2", "ud_3"})
            QCOMPARE(main.label(ud).Caption(), std::u16string(u"-1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QCOMPARE(main.label("ud_3").Caption(), std::u16string(u"-2"));
    }

    void noDefaultButton()
    {
        ui::MainWindow main;
        main.Show();
        for (QPushButton* button : topLevel("main")->findChildren<QPushButton*>()) {
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
        }
    }

    // A click repaints the cells whose value it changed and nothing else: a
    // write of an unchanged value costs no repaint.
    void clicksRepaintWhatTheyChange_data()
    {
        QTest::addColumn<QStringList>("before"); // clicks made before counting
        QTest::addColumn<QString>("click");
        QTest::addColumn<QStringList>("repainted"); // every label painted, none else
        QStringList column3 = {"ud_3"};
        for (int i = 40; i < 52; ++i)
            column3 << cellName("conv", i);
        QTest::newRow("RESET in the start state") << QStringList{} << "reset" << QStringList{};
        QTest::newRow("RESET after RESET") << QStringList{"reset"} << "reset" << QStringList{};
        QTest::newRow("RESET after Up returns one column")
            << QStringList{"up_3"} << "reset" << column3;
        QTest::newRow("Up under Converted_3") << QStringList{} << "up_3" << column3;
        // A cell shares its one-pixel frame line with the rows above and below,
        // which repaint that line too.
        QStringList rows4to6;
        for (int r = 4; r <= 6; ++r)
            rows4to6 << cellName("org", r) << cellName("conv", r) << cellName("conv", 20 + r)
                     << cellName("conv", 40 + r);
        QTest::newRow("mark a note") << QStringList{} << "org(5)" << rows4to6;
        QTest::newRow("unmark it") << QStringList{"org(5)"} << "org(5)" << rows4to6;
    }
    void clicksRepaintWhatTheyChange()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, click);
        QFETCH(QStringList, repainted);
        ui::MainWindow main;
        main.Show();
        QWidget* window = topLevel("main");
        QVERIFY(QTest::qWaitForWindowExposed(window));
        auto press = [&](const QString& name) {
            if (name.startsWith("org("))
                main.labelArray("org")(name.mid(4).chopped(1).toInt()).raiseClick();
            else
                main.button(name.toStdString()).raiseClick();
        };
        for (const QString& name : before)
            press(name);
        QCoreApplication::processEvents();

        struct PaintLog : QObject
        {
            QSet<QString> labels;
            int paints = 0;
            bool eventFilter(QObject* watched, QEvent* event) override
            {
                if (event->type() == QEvent::Paint) {
                    ++paints;
                    if (!qobject_cast<QPushButton*>(watched) && watched->objectName() != "main")
                        labels.insert(watched->objectName());
                }
                return false;
            }
        } log;
        window->installEventFilter(&log);
        for (QWidget* child : window->findChildren<QWidget*>())
            child->installEventFilter(&log);
        press(click);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(log.labels, QSet<QString>(repainted.begin(), repainted.end()));
        if (repainted.isEmpty())
            QCOMPARE(log.paints, 0);
    }

    void startStateShownNotLayoutCaptions()
    {
        ui::MainWindow main;
        main.Show();
        for (const auto& control : main.controls())
            if (control->kind() == ControlKind::Label)
                QVERIFY(!static_cast<Label&>(*control).Caption().starts_with(u"org(") &&
                        !static_cast<Label&>(*control).Caption().starts_with(u"conv("));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
