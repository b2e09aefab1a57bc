#include "app/applicationsetup.h"

#include <QApplication>
#include <QFont>

namespace ApplicationSetup {

void beforeApplication()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
#endif
}

void applyFont()
{
    QFont font = QApplication::font();
    font.setFamily(QStringLiteral("微软雅黑"));
    font.setPointSize(8);
    QApplication::setFont(font);
}

} // namespace ApplicationSetup
