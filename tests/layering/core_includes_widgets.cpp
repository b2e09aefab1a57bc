// Must not build: the core links no GUI module.
#include <QWidget>
