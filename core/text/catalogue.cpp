#include "text/catalogue.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

bool Catalogue::install(const QString &name, const QLocale &locale, QTranslator *english,
                        QTranslator *native)
{
    const QString folder = QStringLiteral(":/i18n");
    if (english->isEmpty() && english->load(name + QStringLiteral("_en"), folder))
        QCoreApplication::installTranslator(english);
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
        return true;
    if (!native->load(locale, name, QStringLiteral("_"), folder))
        return false;
    QCoreApplication::installTranslator(native);
    return true;
}
