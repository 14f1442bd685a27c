#include "fringel_application.h"

#include <QMessageBox>
#include <exception>

FringelApplication::FringelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Fringel");
    setApplicationDisplayName("Fringel");
    setApplicationVersion("0.9 Beta");
}

bool FringelApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        QMessageBox::critical(activeWindow(), applicationName(), QString::fromUtf8(e.what()));
    } catch (...) {
        QMessageBox::critical(activeWindow(), applicationName(), "Unknown error");
    }
    return false;
}
