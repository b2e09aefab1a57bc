// Must not build: the line record sits on the core alone, beside the link.
#include "lane/lanegroup.h"
