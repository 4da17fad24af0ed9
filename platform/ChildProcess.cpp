#include "ChildProcess.h"
