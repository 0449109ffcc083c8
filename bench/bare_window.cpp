// The baseline of the start-up and memory figures: a bare Qt Widgets window of
// the main window's size (401 x 287) holding one label in the note cells' font,
// where the main window has its first note cell. The family may be given as the
// first argument.
#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QPalette>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Marelo"));
    window.resize(401, 287);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, Qt::white);
    window.setPalette(palette);
    window.setAutoFillBackground(true);

    QLabel label(QString::fromUtf16(u"Ｃ"), &window);
    QFont font(QString::fromLocal8Bit(argc > 1 ? argv[1] : "IPAPGothic"));
    font.setPixelSize(13);
    font.setBold(true);
    label.setFont(font);
    label.setFrameStyle(QFrame::Box | QFrame::Plain);
    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label.setGeometry(8, 24, 73, 17);

    window.show();
    return application.exec();
}
