// Native stand-ins for the Windows edge (see fakes.h).
#include "fakes.h"
