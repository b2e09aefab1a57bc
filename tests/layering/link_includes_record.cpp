// Must not build: the link does not depend on the line record.
#include "recordsender.h"
