// The yardstick for the calculator's start: the smallest Qt Widgets program that shows a
// window of the main window's size.
#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(541, 432);
    window.show();
    return QApplication::exec();
}
