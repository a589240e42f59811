// Entry point: starts Qt and shows the default database's window.
#include <QApplication>
#include <QCoreApplication>
#include <QMainWindow>

#include "platform/foundation/Localized.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName("Varnelo");
    setLocalizedStringProvider(
        [](const char* key) { return QCoreApplication::translate("Varnelo", key).toStdString(); });
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("varnelo.db"));
    window.resize(900, 600);
    window.show();
    return application.exec();
}
