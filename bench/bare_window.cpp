// The baseline of the start-up benchmark: a bare Qt Widgets window of the
// program's size and font, nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(763, 537);
    window.show();
    return app.exec();
}
