// raster: raster orientations of N-dimensional arrays.
//
// A detector or a file may store its first axis running left or right, up or
// down, or may store the vertical axis first. Such a storage convention is a
// raster orientation, given either as an order or as a raster number.
//
// Order: an array of rlong; element 0 holds N, the number of axes, elements
// 1..N signed axis numbers. Element k = +-j says that the k-th stored axis
// (axis 1 runs fastest in memory) is axis j of the normal orientation,
// reversed when negative. A valid order uses each axis 1..N exactly once;
// the identity (1, 2, ..., N) is orientation 1.
//
// Raster number: N axes have 2^N * N! orientations, numbered from 1. Axes
// above 9 must be the identity and do not enter the number, so a number
// means the same orientation for every N large enough (1..8 need 2 axes,
// 9..48 need 3). A negative number -r is the inverse of orientation r.
// In two dimensions: number - 1 = 4*(axes exchanged) + 2*(axis 2 reversed)
// + (axis 1 reversed).
//
// Routines producing an order or a matrix write into a caller buffer with
// its capacity `nelem` (elements); they return the buffer, or nullptr on
// failure. Where the original design allocated a result for a null buffer,
// this library offers an overload returning a std::vector instead (empty on
// failure), so that nobody has to free a raw allocation. The buffer forms
// treat a null buffer as a buffer that is too small.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "rylpack/longint.h"

// Largest number of axes that enter a raster number on a 32-bit `long`
// (2^9 * 9! still fits in 31 bits); the 64-bit value is kept for reference.
constexpr rlong MAX_RASTER_NUMBER_DIMENSION_32 = 9;
constexpr rlong MAX_RASTER_NUMBER_DIMENSION_64 = 16;
constexpr rlong MAX_RASTER_NUMBER_DIMENSION = MAX_RASTER_NUMBER_DIMENSION_32;

// "raster : V1.8 Tessmor 2015-12-08".
const char *raster_version();

// Switches the diagnostic lines (BEGIN/END, per-axis loop parameters) of the
// routines of this module on (non-zero) or off.
void raster_debug(int debug);
// The current diagnostic switch.
int raster_debug_get();

// Number of orientations of n axes: 2^n * n! for 0 <= n <= 9, else 0.
rlong raster_numbers(rlong n);

// The order of n axes of raster number r (negative r: the inverse of -r).
// `buffer` must hold more than n elements. Returns buffer, or nullptr when
// the number has no order of n axes or the buffer is too small (the latter
// with "ERROR: raster_number2order: dimension mismatch" on stderr).
rlong *raster_number2order(rlong *buffer, rlong nelem, rlong n, rlong r);
std::vector<rlong> raster_number2order(rlong n, rlong r);

// The raster number of an order, 0 for an invalid order (an axis missing or
// used twice, axes above 9 not the identity) or a null pointer.
rlong raster_order2number(const rlong *order);

// Composition y = a * x: y[i] = x[a[i]] for a[i] > 0, -x[-a[i]] for a[i] < 0.
// Fails when x has fewer axes than a or either order is invalid. When x has
// more axes than a, a is taken as the identity on the extra axes, so y has
// as many axes as x. `buffer` must hold more than x[0] elements.
rlong *raster_order_multiplication(rlong *buffer, rlong nelem, const rlong *a_order,
                                   const rlong *x_order);
std::vector<rlong> raster_order_multiplication(const rlong *a_order, const rlong *x_order);

// Number of the composition of orientations a and x (orders of 9 axes),
// 0 when either number is invalid.
rlong raster_multiplication(rlong a, rlong x);

// The inverse order p: p[x[i]] = i for x[i] > 0, p[-x[i]] = -i for x[i] < 0.
// nullptr for an invalid order or a buffer of nelem <= x[0].
rlong *raster_order_inversion(rlong *buffer, rlong nelem, const rlong *x_order);
std::vector<rlong> raster_order_inversion(const rlong *x_order);

// Number of the inverse orientation of x, 0 for an invalid number.
rlong raster_inversion(rlong x);

// Determinant (+1 or -1) of the signed permutation matrix of an order;
// 0 for an invalid order or a null pointer.
int raster_order_determinante(const rlong *order);

// Parse errors of raster_str2order / raster_str2number.
enum RasterParseError : int {
  RasterParseSuccess = 0,
  RasterParseNoResultBuffer = 1,   // result buffer could not be allocated
  RasterParseNoWorkBuffer = 2,     // work buffer could not be allocated
  RasterParseAxisTwice = 3,        // an axis is given twice
  RasterParseBadAxis = 4,          // axis 0 or beyond n, and not a raster number
  RasterParseDefaultUsed = 5,      // an axis left at its default place is used
  RasterParseTooFewAxes = 6,       // fewer than n axes were defined
  RasterParseTrailingText = 7,     // text left after the last axis
  RasterParseBadNumber = 8,        // raster number out of range
  RasterParseBufferTooSmall = 9,   // supplied buffer holds n or fewer elements
  RasterParseExpressionBase = 1000 // + the integer expression's error value
};

// Parses an order text of n axes: up to n integer expressions separated by
// commas and optional white space; a single value is a raster number (for
// n >= 2 any non-zero value, for n < 2 a positive one). A null text counts
// as empty. On success returns buffer and *tail (if given) points after the
// parsed text; on failure returns nullptr, *tail points to the start of the
// text and *perrval holds a RasterParseError value.
rlong *raster_str2order(rlong *buffer, rlong nelem, rlong n, const char *str,
                        const char **tail, int *perrval);
std::vector<rlong> raster_str2order(rlong n, const char *str, const char **tail, int *perrval);

// The raster number of an order text, 0 on error.
rlong raster_str2number(rlong n, const char *str, const char **tail, int *perrval);

// The text of an order: its signed axis numbers joined by commas ("2,-1").
// The buffer form copies at most nelem-1 characters and terminates; error
// values 2 for a zero-size (or null) buffer, 1 for a null order. The string
// form replaces the design's allocated text; the caller owns the string.
char *raster_order2str(char *buffer, rlong nelem, const rlong *order, int *perrval);
std::string raster_order2str(const rlong *order, int *perrval);

// The N x N matrix of an order, row by row: row k (0-based) has the sign of
// order[k+1] in column |order[k+1]|-1, zeros elsewhere. nelem >= N*N.
// Thus the matrix of a*x is matrix(a) * matrix(x).
double *raster_order2matrix(double *buffer, rlong nelem, const rlong *order);
std::vector<double> raster_order2matrix(const rlong *order);

// The L x N product B x A, where A is M x N and B is L x M, all row by row.
// nelem >= L*N. dest must not overlap A or B.
double *raster_matrix_product(double *buffer, rlong nelem, const double *A, const double *B,
                              int L, int M, int N);

// Prints label ("%14s \n"), then nrows lines of ncols "%14g " elements,
// element (row, col) being M[row + nrows*col], and an empty line. Returns 0.
int raster_fprint_matrix(std::FILE *out, int nrows, int ncols, const double *M,
                         const char *label);

// Dimensions after normalization: result[0] = src_dim[0],
// result[|src_order[j]|] = src_dim[j]. Error values: 1 null argument,
// 2 order shorter than dims, 3 allocation, 4 buffer too small, 5 index
// defined twice, 6 index out of range.
rlong *raster_order_dimension(rlong *buffer, rlong nelem, const rlong *src_dim,
                              const rlong *src_order, int *perrval);
std::vector<rlong> raster_order_dimension(const rlong *src_dim, const rlong *src_order,
                                          int *perrval);

// Reorders src, stored in the orientation `order`, into normal orientation
// in dest. data_dim gives n and the sizes of the normal (destination)
// orientation; each element has `item` bytes. dest and src may be the same
// or overlapping arrays. Returns 0, or -1 with *perrval: 1 no dimensions
// (n <= 0), 2 an order that does not fit the dimensions, 3 no memory for
// the temporary copy of an overlapping source. A null pointer argument is a
// programming error: a SEVERE message and exit status -1.
int raster_order_normalization(void *dest, const void *src, const rlong *data_dim,
                               const rlong *order, std::size_t item, int *perrval);

// The same for a raster number; error value 2 when the number has no order
// of n axes.
int raster_normalization(void *dest, const void *src, const rlong *data_dim, rlong raster_number,
                         std::size_t item, int *perrval);
