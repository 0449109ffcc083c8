// The key table's behaviour through the main window's controls: the columns,
// the chained shift buttons, the marks and the reset.
#include "conversion/note_names.h"
#include "forms/error.h"
#include "forms/number_text.h"
#include "key_table_fixture.h"
#include "ui/main_window.h"

#include <QElapsedTimer>
#include <QTest>

#include <map>
#include <random>
#include <sstream>

using namespace forms;
using conversion::kNoteNames;
using model::Action;

namespace {

using keytest::kBases;
using keytest::randomSteps;
using keytest::rotated;
using keytest::WriteCounter;
using Fixture = keytest::KeyTableFixture;

} // namespace

class TestKeyTable : public QObject
{
    Q_OBJECT

private slots:
    void startState()
    {
        Fixture f;
        for (int c = 0; c < 3; ++c)
            QCOMPARE(f.count(c + 1), std::u16string(u"0"));
        QCOMPARE(f.differences({}), std::string());
        QCOMPARE(f.org(0).Caption(), std::u16string(u"Ｃ"));
        QCOMPARE(f.conv(51).Caption(), std::u16string(u"Ｂ"));
        QCOMPARE(f.conv(21).Caption(), std::u16string(u"Ｃ＃（Ｄ♭）"));
        // Explicit black, not the layout's system colour, so the first toggle gives pure red.
        for (int i = 0; i < 12; ++i)
            QCOMPARE(f.org(i).ForeColor(), Color(0));
    }

    void noteNameCodePoints()
    {
        const auto& expected = keytest::kExpectedNoteCodePoints;
        for (std::size_t i = 0; i < 12; ++i)
            QCOMPARE(std::vector<char16_t>(kNoteNames[i].begin(), kNoteNames[i].end()),
                     expected[i]);
    }

    void countWrittenToAShiftLabel_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("rotation");
        for (int c = 1; c <= 3; ++c) {
            QTest::addRow("%d: 0", c) << c << "0"
                                      << "0" << 0;
            QTest::addRow("%d: 1", c) << c << "1"
                                      << "1" << 1;
            QTest::addRow("%d: -1", c) << c << "-1"
                                       << "-1" << -1;
            QTest::addRow("%d: 3", c) << c << "3"
                                      << "3" << 3;
            QTest::addRow("%d: -2", c) << c << "-2"
                                       << "-2" << -2;
            QTest::addRow("%d: 11", c) << c << "11"
                                       << "11" << 11;
            QTest::addRow("%d: -11", c) << c << "-11"
                                        << "-11" << -11;
            QTest::addRow("%d: 12 folds", c) << c << "12"
                                             << "0" << 0;
            QTest::addRow("%d: -12 folds", c) << c << "-12"
                                              << "0" << 0;
            QTest::addRow("%d: 40 folds", c) << c << "40"
                                             << "0" << 0;
        }
    }
    void countWrittenToAShiftLabel()
    {
        QFETCH(int, column);
        QFETCH(QString, written);
        QFETCH(QString, shown);
        QFETCH(int, rotation);
        Fixture f;
        f.ud(column).setCaption(written.toStdU16String());
        QCOMPARE(QString::fromStdU16String(f.count(column)), shown);
        QCOMPARE(f.column(column - 1), rotated(rotation));
        for (int other = 1; other <= 3; ++other)
            if (other != column)
                QCOMPARE(f.column(other - 1), rotated(0));
    }

    void workedExample()
    {
        Fixture f;
        f.ud(1).setCaption(u"3");
        f.ud(2).setCaption(u"-2");
        const char16_t* const three[] = {
            u"Ｄ＃（Ｅ♭）", u"Ｅ",          u"Ｆ", u"Ｆ＃（Ｇ♭）", u"Ｇ",          u"Ｇ＃（Ａ♭）",
            u"Ａ",          u"Ａ＃（Ｂ♭）", u"Ｂ", u"Ｃ",          u"Ｃ＃（Ｄ♭）", u"Ｄ"};
        const char16_t* const minusTwo[] = {u"Ａ＃（Ｂ♭）", u"Ｂ", u"Ｃ", u"Ｃ＃（Ｄ♭）", u"Ｄ",
                                            u"Ｄ＃（Ｅ♭）", u"Ｅ", u"Ｆ", u"Ｆ＃（Ｇ♭）", u"Ｇ",
                                            u"Ｇ＃（Ａ♭）", u"Ａ"};
        for (int i = 0; i < 12; ++i) {
            QCOMPARE(f.conv(i).Caption(), std::u16string(three[i]));
            QCOMPARE(f.conv(20 + i).Caption(), std::u16string(minusTwo[i]));
        }
        QCOMPARE(f.column(0), f.column(0));
        // 11 shows the same column as -1.
        f.ud(3).setCaption(u"11");
        const auto eleven = f.column(2);
        f.ud(3).setCaption(u"-1");
        QCOMPARE(f.column(2), eleven);
        QCOMPARE(f.conv(40).Caption(), std::u16string(u"Ｂ"));
        QCOMPARE(f.conv(51).Caption(), std::u16string(u"Ａ＃（Ｂ♭）"));
    }

    void foldFillsTwiceAndCopiesMarksTwice_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("written");
        for (int c = 1; c <= 3; ++c) {
            QTest::addRow("%d: 12", c) << c << "12";
            QTest::addRow("%d: -12", c) << c << "-12";
        }
    }
    void foldFillsTwiceAndCopiesMarksTwice()
    {
        QFETCH(int, column);
        QFETCH(QString, written);
        Fixture f;
        f.clickOrg(4);
        WriteCounter counter;
        f.main.setWriteObserver(&counter);
        f.ud(column).setCaption(written.toStdU16String());
        f.main.setWriteObserver(nullptr);
        QCOMPARE(counter.count("ud_" + std::to_string(column), Property::Caption), 2); // "12", "0"
        QCOMPARE(counter.column(column - 1, Property::Caption), 24);
        for (int c = 0; c < 3; ++c) {
            if (c != column - 1)
                QCOMPARE(counter.column(c, Property::Caption), 0);
            QCOMPARE(counter.column(c, Property::ForeColor), 24);
            QCOMPARE(counter.column(c, Property::Alignment), 24);
        }
        QCOMPARE(f.conv(kBases[column - 1] + 4).ForeColor(), kRed); // the mark survives
    }

    void oneShiftRewritesItsColumnAndEveryMark()
    {
        Fixture f;
        WriteCounter counter;
        f.main.setWriteObserver(&counter);
        f.click("up_3");
        f.main.setWriteObserver(nullptr);
        QCOMPARE(counter.column(0, Property::Caption), 0);
        QCOMPARE(counter.column(1, Property::Caption), 0);
        QCOMPARE(counter.column(2, Property::Caption), 12);
        QCOMPARE(counter.count("ud_1", Property::Caption), 0);
        QCOMPARE(counter.count("ud_2", Property::Caption), 0);
        for (int c = 0; c < 3; ++c) {
            QCOMPARE(counter.column(c, Property::ForeColor), 12);
            QCOMPARE(counter.column(c, Property::Alignment), 12);
        }
    }

    void chain_data()
    {
        QTest::addColumn<QString>("start"); // three counts
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("end");
        QTest::newRow("up 1") << "0 0 0" << QStringList{"up_1"} << "1 1 1";
        QTest::newRow("up 1, up 2") << "0 0 0" << QStringList{"up_1", "up_2"} << "1 2 2";
        QTest::newRow("up 1, up 2, down 3")
            << "0 0 0" << QStringList{"up_1", "up_2", "dn_3"} << "1 2 1";
        QTest::newRow("fold does not carry") << "11 5 -2" << QStringList{"up_1"} << "0 6 -1";
        QTest::newRow("all fold down") << "-11 -11 -11" << QStringList{"dn_1"} << "0 0 0";
        QTest::newRow("up then down from 11")
            << "0 0 11" << QStringList{"up_3", "dn_3"} << "0 0 -1";
        QTest::newRow("down from 0") << "0 0 0" << QStringList{"dn_3"} << "0 0 -1";
        QTest::newRow("up from -1") << "0 0 -1" << QStringList{"up_3"} << "0 0 0";
        QTest::newRow("column 2 leaves column 1")
            << "4 0 0" << QStringList{"dn_2", "dn_2"} << "4 -2 -2";
        QTest::newRow("column 2 folds") << "0 11 10" << QStringList{"up_2"} << "0 0 11";
    }
    void chain()
    {
        QFETCH(QString, start);
        QFETCH(QStringList, clicks);
        QFETCH(QString, end);
        Fixture f;
        const QStringList counts = start.split(' ');
        for (int k = 1; k <= 3; ++k)
            f.ud(k).setCaption(counts[k - 1].toStdU16String());
        for (const QString& button : clicks)
            f.click(button.toLatin1().constData());
        QCOMPARE(QString::fromStdString(f.counts()), end);
        QVERIFY(f.invariantsHold());
    }

    void twelveClicksComeRound_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("step");
        QTest::newRow("up") << "up_3" << 1;
        QTest::newRow("down") << "dn_3" << -1;
    }
    void twelveClicksComeRound()
    {
        QFETCH(QString, button);
        QFETCH(int, step);
        Fixture f;
        for (int n = 1; n <= 12; ++n) {
            f.click(button.toLatin1().constData());
            QCOMPARE(f.count(3), forms::toText(n == 12 ? 0 : n * step));
            QCOMPARE(f.column(2), rotated(n * step));
        }
    }

    void marks()
    {
        Fixture f;
        f.clickOrg(4);
        QCOMPARE(f.org(4).ForeColor(), kRed);
        QCOMPARE(f.org(4).Alignment(), std::int16_t(AlignRight));
        for (int base : kBases) {
            QCOMPARE(f.conv(base + 4).ForeColor(), kRed);
            QCOMPARE(f.conv(base + 4).Alignment(), std::int16_t(AlignLeft));
        }
        model::KeyTableModel m;
        m.marked[4] = true;
        QCOMPARE(f.differences(m), std::string());

        f.clickOrg(9);
        m.marked[9] = true;
        QCOMPARE(f.differences(m), std::string());
        f.clickOrg(4);
        m.marked[4] = false;
        QCOMPARE(f.differences(m), std::string());
        QCOMPARE(f.org(4).ForeColor(), Color(0));
        QCOMPARE(f.org(4).Alignment(), std::int16_t(AlignLeft));
    }

    void markStaysOnItsRow()
    {
        Fixture f;
        f.clickOrg(4);
        f.click("up_1");
        for (int base : kBases) {
            QCOMPARE(f.conv(base + 4).Caption(), std::u16string(u"Ｆ"));
            QCOMPARE(f.conv(base + 4).ForeColor(), kRed);
            QCOMPARE(f.conv(base + 4).Alignment(), std::int16_t(AlignLeft));
        }
        QCOMPARE(f.org(4).Caption(), std::u16string(u"Ｅ"));
        QCOMPARE(f.org(4).ForeColor(), kRed);
    }

    void markedRowWithOneColumnShifted()
    {
        Fixture f;
        f.clickOrg(4);
        f.ud(1).setCaption(u"3");
        QCOMPARE(f.conv(4).Caption(), std::u16string(u"Ｇ"));
        QCOMPARE(f.conv(24).Caption(), std::u16string(u"Ｅ"));
        QCOMPARE(f.conv(44).Caption(), std::u16string(u"Ｅ"));
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < 12; ++i) {
                Label& cell = f.conv(kBases[c] + i);
                QCOMPARE(cell.ForeColor(), i == 4 ? kRed : kBlack);
                QCOMPARE(cell.Alignment(), std::int16_t(i == 4 ? AlignLeft : AlignRight));
            }
    }

    void clicksElsewhereChangeNothing()
    {
        Fixture f;
        WriteCounter counter;
        f.main.setWriteObserver(&counter);
        f.conv(25).raiseClick();
        f.ud(2).raiseClick();
        f.main.labelArray("Label101")(1).raiseClick();
        f.main.label("Label100").raiseClick();
        f.main.setWriteObserver(nullptr);
        QVERIFY(counter.writes.empty());
    }

    void reset_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::newRow("start state") << QStringList{};
        QTest::newRow("shifted and marked")
            << QStringList{"up_1", "up_1", "up_1", "up_2", "up_2",  "dn_3",
                           "dn_3", "dn_3", "dn_3", "dn_3", "org 2", "org 7"};
        QTest::newRow("folded") << QStringList{"dn_1", "org 0", "org 11"};
        QTest::newRow("reset twice") << QStringList{"up_2", "org 5", "reset"};
    }
    void reset()
    {
        QFETCH(QStringList, before);
        Fixture f;
        f.ud(1).setCaption(u"-11");
        for (const QString& action : before) {
            if (action.startsWith("org "))
                f.clickOrg(action.mid(4).toInt());
            else
                f.click(action.toLatin1().constData());
        }
        f.click("reset");
        QCOMPARE(f.differences({}), std::string());
        // The first click after a reset marks exactly as at the start.
        f.clickOrg(6);
        QCOMPARE(f.org(6).ForeColor(), Color(0xFF));
        QCOMPARE(f.org(6).Alignment(), std::int16_t(AlignRight));
    }

    void resetLeavesTheHelpWindowAlone()
    {
        Fixture f;
        f.main.Show();
        f.click("help_pb");
        QVERIFY(f.main.helpWindow()->visible());
        f.click("reset");
        QVERIFY(f.main.helpWindow()->visible());
        QVERIFY(f.main.helpWindow()->loaded());
    }

    void randomizedAgainstModel()
    {
        const std::uint32_t seed = qEnvironmentVariableIsSet("MARELO_SEED")
                                       ? qEnvironmentVariableIntValue("MARELO_SEED")
                                       : 20261208u;
        const int actions = qEnvironmentVariableIsSet("MARELO_RANDOM_ACTIONS")
                                ? qEnvironmentVariableIntValue("MARELO_RANDOM_ACTIONS")
                                : 10000;
        const auto steps = randomSteps(seed, actions);
        QElapsedTimer timer;
        timer.start();
        std::string why;
        const int failed = keytest::firstFailure<Fixture>(steps, &why);
        qInfo("%d random actions (seed %u) in %lld ms", actions, seed, timer.elapsed());
        if (failed >= 0) {
            std::ostringstream prefix;
            for (int k = 0; k <= failed; ++k) {
                prefix << model::name(steps[std::size_t(k)].action);
                if (steps[std::size_t(k)].action == Action::Org)
                    prefix << "(" << steps[std::size_t(k)].row << ")";
                prefix << ' ';
            }
            QFAIL(qPrintable(
                QStringLiteral("seed %1: after action %2: %3\nshortest failing prefix: %4")
                    .arg(seed)
                    .arg(failed + 1)
                    .arg(QString::fromStdString(why))
                    .arg(QString::fromStdString(prefix.str()))));
        }
    }

    void modelNoticesAWrongWindow()
    {
        // The differential test is only worth something if it can fail.
        Fixture f;
        model::KeyTableModel m;
        m.apply({Action::Up2});
        QVERIFY(!f.differences(m).empty());
        f.conv(3).setForeColor(kRed);
        QVERIFY(!f.invariantsHold());
    }
};

QTEST_MAIN(TestKeyTable)
#include "tst_key_table.moc"
