// Must not build: the serial link links no GUI module.
#include <QWidget>
