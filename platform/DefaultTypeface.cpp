#include "DefaultTypeface.h"
