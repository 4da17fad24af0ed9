#include "app/MeltrowApplication.h"

START_JUCE_APPLICATION (MeltrowApplication)
