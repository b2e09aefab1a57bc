#include "app/applicationsetup.h"
#include "app/widget.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    ApplicationSetup::beforeApplication();
    QApplication app(argc, argv);
    ApplicationSetup::applyFont();
    Widget window;
    window.show();
    return app.exec();
}
