// ViloImage: the image header blocks, reading, conditioning and writing of
// images and the image loop.
#pragma once

// Version line with the data version of the framework and the data format
// version of the file library: "ViloImage V2.60 ... (SDV = 2.40, GDV = 2.42)".
// The text stays valid until the next call.
const char *ViloImageVersion();

// Help text on the variables that value and variance expressions see.
const char *ViloImageShow();
