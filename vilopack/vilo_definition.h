// ViloDefinition: header keys and data version of the image framework.
#pragma once

// "ViloDefinition V2.32 Tessmor 2015-10-13 (V2.478)"
const char *ViloDefinitionVersion();
