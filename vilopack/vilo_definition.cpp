#include "vilopack/vilo_definition.h"

const char *ViloDefinitionVersion() { return "ViloDefinition V2.32 Tessmor 2015-10-13 (V2.478)"; }
