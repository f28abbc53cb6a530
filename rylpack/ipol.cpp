#include "rylpack/ipol.h"

namespace {
// The interpolation settings of the process.
int g_mode = IPOL_NORMAL;
int g_weight = IPOL_EQUAL;
float g_min = 0.5f;
}  // namespace

int Ipolmode(int mode) {
  if (mode == IPOL_NORMAL || mode == IPOL_ANTIALIASED) g_mode = mode;
  return g_mode;
}

const char *Ipolmode2str(int mode) {
  switch (mode) {
    case IPOL_NORMAL: return "normal";
    case IPOL_ANTIALIASED: return "antialiased";
    default: return "undefined";
  }
}

int Ipolweight(int method) {
  if (method == IPOL_EQUAL || method == IPOL_WEIGHTED) g_weight = method;
  return g_weight;
}

const char *Ipolweight2str(int method) {
  switch (method) {
    case IPOL_EQUAL: return "equal";
    case IPOL_WEIGHTED: return "weighted";
    default: return "undefined";
  }
}

float Ipolmin(float minimum) {
  if (minimum >= 0.0f) g_min = minimum;
  return g_min;
}
