// Raster numbers and orders: the bijection between them and the algebra on
// orders (composition, inverse, determinant, matrix form).
#include <cstdio>
#include <limits>
#include <new>
#include <vector>

#include "rylpack/raster.h"
#include "rylpack/raster_internal.h"

using raster_detail::absval;
using raster_detail::trace;
using raster_detail::valid_order;

namespace {

void report(const char *prefix, const char *what) { std::fprintf(stderr, "%s %s\n", prefix, what); }

// Capacity test shared by the buffer forms: a null buffer never fits.
bool fits(const void *buffer, rlong nelem, std::int64_t needed) {
  return buffer && static_cast<std::int64_t>(nelem) >= needed;
}

}  // namespace

rlong raster_numbers(rlong n) {
  if (n < 0 || n > MAX_RASTER_NUMBER_DIMENSION) return 0;
  rlong r = 1;
  for (rlong i = 1; i <= n; ++i) r *= 2 * i;
  return r;
}

rlong *raster_number2order(rlong *buffer, rlong nelem, rlong n, rlong r) {
  static const char *prefix = "ERROR: raster_number2order:";
  trace("raster_number2order", "BEGIN");
  if (n < 0 || !fits(buffer, nelem, static_cast<std::int64_t>(n) + 1)) {
    report(prefix, "dimension mismatch");
    trace("raster_number2order", "END (error)");
    return nullptr;
  }
  if (r < 0) {
    // The inverse of orientation -r. The most negative number has no
    // positive counterpart and no orientation anyway.
    if (r == std::numeric_limits<rlong>::min()) return nullptr;
    std::vector<rlong> positive = raster_number2order(n, -r);
    if (positive.empty()) return nullptr;
    return raster_order_inversion(buffer, nelem, positive.data());
  }

  buffer[0] = n;
  for (rlong k = 1; k <= n; ++k) buffer[k] = 0;
  rlong d = r;
  rlong a = n;
  if (n > MAX_RASTER_NUMBER_DIMENSION && d <= raster_numbers(MAX_RASTER_NUMBER_DIMENSION)) {
    for (rlong k = MAX_RASTER_NUMBER_DIMENSION + 1; k <= n; ++k) buffer[k] = k;
    a = MAX_RASTER_NUMBER_DIMENSION;
  }
  rlong an = raster_numbers(a);
  if (d <= 0 || d > an) {
    trace("raster_number2order", "END (error)");
    return nullptr;
  }
  const rlong free_places = a;  // only elements 1..a can still be empty
  while (a > 0) {
    an /= 2 * a;  // now the number of orientations of a-1 axes
    const rlong b = (d - 1) / (2 * an);
    d -= b * 2 * an;
    const rlong value = d > an ? -a : a;
    // From the highest axis down: b selects the place among the free ones,
    // counted from the last free place, then d selects the direction.
    rlong wanted = a - b;
    for (rlong k = 1; k <= free_places; ++k) {
      if (buffer[k] == 0 && --wanted == 0) {
        buffer[k] = value;
        break;
      }
    }
    if (d > an) d -= an;
    --a;
  }
  trace("raster_number2order", "END");
  return buffer;
}

std::vector<rlong> raster_number2order(rlong n, rlong r) {
  if (n < 0) return {};
  std::vector<rlong> order(static_cast<std::size_t>(n) + 1);
  if (!raster_number2order(order.data(), n + 1, n, r)) return {};
  return order;
}

rlong raster_order2number(const rlong *order) {
  if (!order || order[0] < 0) return 0;
  rlong n = order[0];
  if (n > MAX_RASTER_NUMBER_DIMENSION) {
    for (rlong k = MAX_RASTER_NUMBER_DIMENSION + 1; k <= n; ++k)
      if (order[k] != k) return 0;
    n = MAX_RASTER_NUMBER_DIMENSION;
  }
  rlong result = 1;
  rlong f = 1;
  for (rlong i = 1; i <= n; ++i) {
    // Position of axis i among the elements that hold axes 1..i.
    rlong index = 0;
    rlong count = 0;
    for (rlong k = 1; k <= n; ++k) {
      const std::int64_t a = absval(order[k]);
      if (a > i || a == 0) continue;
      ++count;
      if (a == i) {
        index = order[k] < 0 ? -count : count;
        break;
      }
    }
    if (index == 0) return 0;
    if (index > 0)
      result += f * (i - index) * 2;
    else
      result += f + f * (i + index) * 2;
    f *= 2 * i;
  }
  return result;
}

rlong *raster_order_multiplication(rlong *buffer, rlong nelem, const rlong *a_order,
                                   const rlong *x_order) {
  trace("raster_order_multiplication", "BEGIN");
  if (!valid_order(a_order) || !valid_order(x_order) || x_order[0] < a_order[0]) {
    trace("raster_order_multiplication", "END (error)");
    return nullptr;
  }
  const rlong n = x_order[0];
  if (!fits(buffer, nelem, static_cast<std::int64_t>(n) + 1)) {
    report("ERROR: raster_order_multiplication:", "dimension mismatch");
    trace("raster_order_multiplication", "END (error)");
    return nullptr;
  }
  // Composed in a work copy: the buffer may be one of the operands.
  std::vector<rlong> y(static_cast<std::size_t>(n) + 1);
  y[0] = n;
  for (rlong i = 1; i <= n; ++i) {
    if (i > a_order[0]) {
      y[i] = x_order[i];
    } else {
      const rlong a = a_order[i];
      y[i] = a > 0 ? x_order[a] : -x_order[-a];
    }
  }
  for (rlong i = 0; i <= n; ++i) buffer[i] = y[i];
  trace("raster_order_multiplication", "END");
  return buffer;
}

std::vector<rlong> raster_order_multiplication(const rlong *a_order, const rlong *x_order) {
  if (!x_order || x_order[0] < 0) return {};
  std::vector<rlong> y(static_cast<std::size_t>(x_order[0]) + 1);
  if (!raster_order_multiplication(y.data(), x_order[0] + 1, a_order, x_order)) return {};
  return y;
}

rlong raster_multiplication(rlong a, rlong x) {
  const std::vector<rlong> ao = raster_number2order(MAX_RASTER_NUMBER_DIMENSION, a);
  const std::vector<rlong> xo = raster_number2order(MAX_RASTER_NUMBER_DIMENSION, x);
  if (ao.empty() || xo.empty()) return 0;
  const std::vector<rlong> y = raster_order_multiplication(ao.data(), xo.data());
  return y.empty() ? 0 : raster_order2number(y.data());
}

rlong *raster_order_inversion(rlong *buffer, rlong nelem, const rlong *x_order) {
  trace("raster_order_inversion", "BEGIN");
  // An invalid order would make p[x[i]] write outside the result.
  if (!valid_order(x_order)) {
    trace("raster_order_inversion", "END (error)");
    return nullptr;
  }
  const rlong n = x_order[0];
  if (!fits(buffer, nelem, static_cast<std::int64_t>(n) + 1)) {
    report("ERROR: raster_order_inversion:", "dimension mismatch");
    trace("raster_order_inversion", "END (error)");
    return nullptr;
  }
  std::vector<rlong> p(static_cast<std::size_t>(n) + 1);
  p[0] = n;
  for (rlong i = 1; i <= n; ++i) {
    const rlong x = x_order[i];
    if (x > 0)
      p[x] = i;
    else
      p[-x] = -i;
  }
  for (rlong i = 0; i <= n; ++i) buffer[i] = p[i];
  trace("raster_order_inversion", "END");
  return buffer;
}

std::vector<rlong> raster_order_inversion(const rlong *x_order) {
  if (!x_order || x_order[0] < 0) return {};
  std::vector<rlong> p(static_cast<std::size_t>(x_order[0]) + 1);
  if (!raster_order_inversion(p.data(), x_order[0] + 1, x_order)) return {};
  return p;
}

rlong raster_inversion(rlong x) {
  const std::vector<rlong> xo = raster_number2order(MAX_RASTER_NUMBER_DIMENSION, x);
  if (xo.empty()) return 0;
  const std::vector<rlong> p = raster_order_inversion(xo.data());
  return p.empty() ? 0 : raster_order2number(p.data());
}

int raster_order_determinante(const rlong *order) {
  if (!valid_order(order)) return 0;
  std::vector<rlong> w(order, order + order[0] + 1);
  const rlong n = w[0];
  int det = 1;
  for (rlong i = 1; i <= n; ++i) {
    const rlong v = w[i];
    const rlong av = v < 0 ? -v : v;
    // Bringing axis |v| (its rank among the axes left) to the front takes
    // |v|-1 exchanges; a reversal flips the sign once more.
    if (av % 2 == 0) det = -det;
    if (v < 0) det = -det;
    for (rlong k = i + 1; k <= n; ++k) {
      if (w[k] > av)
        --w[k];
      else if (w[k] < -av)
        ++w[k];
    }
  }
  return det;
}

double *raster_order2matrix(double *buffer, rlong nelem, const rlong *order) {
  static const char *prefix = "ERROR: raster_order2matrix:";
  trace("raster_order2matrix", "BEGIN");
  if (!order || order[0] < 0) {
    report(prefix, "order is NULL pointer:");
    trace("raster_order2matrix", "END (error)");
    return nullptr;
  }
  const rlong n = order[0];
  const std::int64_t nn = static_cast<std::int64_t>(n) * n;
  if (!fits(buffer, nelem, nn)) {
    report(prefix, "dimension mismatch");
    trace("raster_order2matrix", "END (error)");
    return nullptr;
  }
  for (rlong k = 1; k <= n; ++k) {
    const std::int64_t a = absval(order[k]);
    if (a < 1 || a > n) {
      report(prefix, "order index out of bounds");
      trace("raster_order2matrix", "END (error)");
      return nullptr;
    }
  }
  for (std::int64_t i = 0; i < nn; ++i) buffer[i] = 0.0;
  for (rlong k = 0; k < n; ++k) {
    const rlong v = order[k + 1];
    const rlong col = (v < 0 ? -v : v) - 1;
    buffer[static_cast<std::int64_t>(k) * n + col] = v < 0 ? -1.0 : 1.0;
  }
  trace("raster_order2matrix", "END");
  return buffer;
}

std::vector<double> raster_order2matrix(const rlong *order) {
  if (!order || order[0] < 0) return {};
  const rlong n = order[0];
  std::vector<double> m(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
  if (!raster_order2matrix(m.data(), static_cast<rlong>(m.size()), order) && n > 0) return {};
  return m;
}

double *raster_matrix_product(double *buffer, rlong nelem, const double *A, const double *B,
                              int L, int M, int N) {
  trace("raster_matrix_product", "BEGIN");
  if (!A || !B || L < 0 || M < 0 || N < 0 ||
      !fits(buffer, nelem, static_cast<std::int64_t>(L) * N)) {
    report("ERROR: raster_matrix_product:", "dimension mismatch");
    trace("raster_matrix_product", "END (error)");
    return nullptr;
  }
  // Into a work copy, so that the result may replace one of the factors.
  std::vector<double> c(static_cast<std::size_t>(L) * static_cast<std::size_t>(N), 0.0);
  for (int i = 0; i < L; ++i)
    for (int j = 0; j < N; ++j) {
      double sum = 0.0;
      for (int k = 0; k < M; ++k)
        sum += B[static_cast<std::size_t>(i) * M + k] * A[static_cast<std::size_t>(k) * N + j];
      c[static_cast<std::size_t>(i) * N + j] = sum;
    }
  for (std::size_t i = 0; i < c.size(); ++i) buffer[i] = c[i];
  trace("raster_matrix_product", "END");
  return buffer;
}

int raster_fprint_matrix(std::FILE *out, int nrows, int ncols, const double *M, const char *label) {
  if (!out) return 0;
  std::fprintf(out, "%14s \n", label ? label : "");
  if (M) {
    for (int row = 0; row < nrows; ++row) {
      for (int col = 0; col < ncols; ++col)
        std::fprintf(out, "%14g ", M[row + static_cast<std::size_t>(nrows) * col]);
      std::fprintf(out, "\n");
    }
  }
  // The closing empty line goes to the same stream as the matrix, so that a
  // listing sent to a file or to stderr stays in one piece.
  std::fprintf(out, "\n");
  return 0;
}
