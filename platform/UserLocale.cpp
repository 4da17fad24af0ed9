#include "UserLocale.h"
