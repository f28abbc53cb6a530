#include "vilopack/vilo_routine.h"

const char *ViloRoutineVersion() { return "ViloRoutine : V1.54 Tessmor 2016-04-01"; }
