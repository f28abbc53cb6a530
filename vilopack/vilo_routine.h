// ViloRoutine: reference geometry of the images and the block dialogue.
#pragma once

// "ViloRoutine : V1.54 Tessmor 2016-04-01"; also the module name that the
// block dialogue announces to the error record.
const char *ViloRoutineVersion();
