#include "TempFolder.h"
