// Must not build: the station is on the serial link and the core, and
// cannot see the window's folders.
#include "app/widget.h"
