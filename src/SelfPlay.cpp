#include "Modes.h"
