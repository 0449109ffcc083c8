// The program as a process: the command line it ignores, the fatal error
// report for an uncaught run-time error, and closing the main window with the
// help window open.
#include <QProcess>
#include <QTest>

class TestProgram : public QObject
{
    Q_OBJECT

    struct Run
    {
        int status;
        QProcess::ExitStatus exit;
        QString output;
    };

    static Run probe(const QString& mode)
    {
        QProcess process;
        process.start(QStringLiteral(FATAL_PROBE), {mode});
        if (!process.waitForFinished(20000))
            process.kill();
        return {process.exitCode(), process.exitStatus(),
                QString::fromUtf8(process.readAllStandardOutput())};
    }

private slots:
    void argumentsAreIgnored()
    {
        // Handed to the toolkit, these would end the program at once.
        QProcess process;
        process.start(QStringLiteral(MARELO_PROGRAM),
                      {"-platform", "no-such-platform", "-style", "none", "--reverse", "file.txt"});
        QVERIFY(process.waitForStarted());
        const bool ended = process.waitForFinished(1500);
        if (!ended) {
            process.kill();
            process.waitForFinished();
        }
        QVERIFY2(!ended, process.readAllStandardError().constData());
    }

    void fatalReport_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("text");
        QTest::newRow("index outside the array")
            << "index"
            << QString::fromUtf16(u"実行時エラー '9':\n\nインデックスが有効範囲にありません。");
        QTest::newRow("shift label without a number")
            << "text" << QString::fromUtf16(u"実行時エラー '13':\n\n型が一致しません。");
        QTest::newRow("click over a label without a number")
            << "shift-text" << QString::fromUtf16(u"実行時エラー '13':\n\n型が一致しません。");
        const QString subscript =
            QString::fromUtf16(u"実行時エラー '9':\n\nインデックスが有効範囲にありません。");
        QTest::newRow("conv index in the gap between columns") << "conv-gap" << subscript;
        QTest::newRow("conv index past the last cell") << "conv-past-end" << subscript;
        QTest::newRow("count that is no whole number") << "fraction-count" << subscript;
        const QString window =
            QString::fromUtf16(u"実行時エラー '1000':\n\nウィンドウの操作に失敗しました。");
        QTest::newRow("main window not made at start") << "main-window-fails" << window;
        QTest::newRow("help window not made") << "help-window-fails" << window;
    }
    void fatalReport()
    {
        QFETCH(QString, mode);
        QFETCH(QString, text);
        const Run run = probe(mode);
        QCOMPARE(run.exit, QProcess::NormalExit);
        QVERIFY2(run.status != 0, qPrintable(run.output));
        QCOMPARE(run.status, 1);
        QVERIFY2(run.output.startsWith(QStringLiteral("title: Marelo\ntext: ") + text + "\n"),
                 qPrintable(run.output));
        // The program ended inside the report: nothing ran after it.
        QVERIFY(!run.output.contains(QStringLiteral("ended:")));
    }

    void closingMainEndsEverything()
    {
        const Run run = probe("close-with-help");
        QCOMPARE(run.exit, QProcess::NormalExit);
        QCOMPARE(run.status, 0);
        // Help went with the program, without running its own unload.
        QVERIFY2(
            run.output.contains(QStringLiteral("ended: status 0, counts 0 0 0, help still loaded")),
            qPrintable(run.output));
        QVERIFY(!run.output.contains(QStringLiteral("title:")));
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
