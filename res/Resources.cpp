#include "res/Resources.h"
