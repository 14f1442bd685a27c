// Fringel: the desktop program.
#include "fringel_application.h"
#include "tmf.h"

#include <QSettings>

int main(int argc, char** argv) {
    FringelApplication app(argc, argv);
    TMF mainWindow;
    mainWindow.show();
    // On the very first start the sample series is opened, so a new user can press Connect
    // and then Find at once.
    QSettings settings("Fringel", "Fringel");
    if (!settings.value("sampleOpened", false).toBool()) {
        settings.setValue("sampleOpened", true);
        mainWindow.runCommand([&] { mainWindow.OpenSample1Click(); });
    }
    return app.exec();
}
