// Must not build: the GUI-free test support cannot see the window part.
#include "windowtest.h"
