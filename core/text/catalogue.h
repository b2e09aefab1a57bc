#ifndef NIMBAL_CATALOGUE_H
#define NIMBAL_CATALOGUE_H

#include <QString>

class QLocale;
class QTranslator;

// A library's translations compiled in (":/i18n/NAME_LANGUAGE.qm"), as each
// part installs them: English first, for its plural forms ("1 servo",
// "3 servos"), then the language of the locale over it.
class Catalogue
{
public:
    // Installs `name` into `english` and `native`, which must outlive the
    // application; false when there is no translation into the locale's
    // language (English always is there).
    static bool install(const QString &name, const QLocale &locale, QTranslator *english,
                        QTranslator *native);
};

#endif
