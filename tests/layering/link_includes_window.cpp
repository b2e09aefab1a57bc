// Must not build: the serial link cannot see the window's folders.
#include "serial/mycombobox.h"
