// Fringel: the desktop program.
#include "fringel_application.h"
#include "tmf.h"

int main(int argc, char** argv) {
    FringelApplication app(argc, argv);
    TMF mainWindow;
    mainWindow.show();
    return app.exec();
}
