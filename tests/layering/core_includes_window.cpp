// Must not build: the core cannot see the window's folders.
#include "app/widget.h"
