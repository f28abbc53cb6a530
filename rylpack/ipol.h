// Interpolation settings: process-wide mode, weighting and minimum coverage
// used when pixel values are integrated over rectangles.
#pragma once

enum IpolMode : int { IPOL_NORMAL = 1, IPOL_ANTIALIASED = 2 };
enum IpolWeight : int { IPOL_EQUAL = 4, IPOL_WEIGHTED = 8 };

// Sets the mode when it is 1 or 2; returns the mode in force (Ipolmode(0) reads).
int Ipolmode(int mode);
// "normal", "antialiased" or "undefined".
const char *Ipolmode2str(int mode);
// Sets the weighting when it is 4 or 8; returns the method in force.
int Ipolweight(int method);
// "equal", "weighted" or "undefined".
const char *Ipolweight2str(int method);
// Sets the minimum coverage when minimum >= 0; returns the value in force
// (Ipolmin(-1) reads it). The default is 0.5.
float Ipolmin(float minimum);
