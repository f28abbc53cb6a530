// bandplus: averages a band of rows of every image of input 2 and adds the
// line to every row of the matching image of input 1.
#include "src/band.h"

int main(int argc, char *argv[]) { return band_main(argc, argv, kBandPlus); }
