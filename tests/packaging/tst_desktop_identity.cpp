// The identity the running program gives Qt against the files the desktop
// knows it by: the desktop file name is the installed desktop entry's, and the
// window icon is the artwork of the menu icon.
#include "app/program.h"
#include "forms/application.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QTest>

class TestDesktopIdentity : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        application_ = new forms::Application("marelo", marelo::programIdentity());
    }
    void cleanupTestCase() { delete application_; }

    void namesMatchTheDesktopEntry()
    {
        const QFileInfo entry(QStringLiteral(DESKTOP_ENTRY));
        QVERIFY2(entry.isFile(), qPrintable(entry.filePath()));
        // Qt wants the entry's name without ".desktop".
        QCOMPARE(QGuiApplication::desktopFileName() + QStringLiteral(".desktop"), entry.fileName());
        QFile file(entry.filePath());
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QByteArray text = file.readAll();
        QVERIFY2(text.contains("\nIcon=" + QGuiApplication::desktopFileName().toUtf8() + "\n"),
                 "the entry's icon is not named after the application id");
        QVERIFY(text.contains("\nName=" + QCoreApplication::applicationName().toUtf8() + "\n"));
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Marelo"));
        QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("2.00"));
        QVERIFY(!QCoreApplication::organizationName().isEmpty());
    }

    void windowIconIsTheMenuIcon()
    {
        const QImage menuIcon(QStringLiteral(MENU_ICON_32));
        QCOMPARE(menuIcon.size(), QSize(32, 32));
        const QIcon windowIcon = QApplication::windowIcon();
        QVERIFY(windowIcon.availableSizes().contains(QSize(32, 32)));
        const QImage shown = windowIcon.pixmap(QSize(32, 32), 1.0).toImage();
        QCOMPARE(shown.convertToFormat(QImage::Format_RGB32),
                 menuIcon.convertToFormat(QImage::Format_RGB32));
    }

private:
    forms::Application* application_ = nullptr;
};

QTEST_MAIN(TestDesktopIdentity)
#include "tst_desktop_identity.moc"
