// The anchor of the start-up benchmark: the least a Qt widgets program shows, a main window of
// the database window's size with one label.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QLabel("Varnelo"));
    window.resize(900, 600);
    window.show();
    return application.exec();
}
