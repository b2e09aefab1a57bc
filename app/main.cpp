#include "app/widget.h"

#include <QApplication>
#include <QFont>

int main(int argc, char *argv[])
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    // Qt 6 always scales for high-DPI screens.
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
#endif
    QApplication app(argc, argv);
    QFont font = QApplication::font();
    font.setFamily(QStringLiteral("微软雅黑"));
    font.setPointSize(8);
    QApplication::setFont(font);
    Widget window;
    window.show();
    const int result = app.exec();
    return result;
}
