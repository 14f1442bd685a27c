// The application object: titles the program and is the last line of defence for errors.
// An error that escapes an event handler is shown in a message box and the program goes on.
#pragma once

#include <QApplication>

class FringelApplication : public QApplication {
    Q_OBJECT
public:
    FringelApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
