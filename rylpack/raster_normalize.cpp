// Reordering an array from any raster orientation into the normal one, and
// the dimensions an array has after that reordering.
//
// The reordering reads the source in memory order. When the stored fast
// axis is also the fast axis of the destination, rows are copied (or
// reversed) as a whole. Otherwise, as in a transposition, the two axes that
// are contiguous in source and in destination are walked in square tiles,
// so that both sides stay in cache on multi-megapixel images.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "rylpack/raster.h"
#include "rylpack/raster_internal.h"

using raster_detail::absval;
using raster_detail::trace;

namespace {

using Index = std::ptrdiff_t;

[[noreturn]] void severe(const char *prefix, const char *what) {
  std::fprintf(stderr, "SEVERE %s %s\n", prefix, what);
  std::exit(-1);
}

// Loop parameters of one stored axis (source axis k).
struct Axis {
  Index len;      // number of elements along the axis
  Index sstride;  // source stride in elements
  Index dstride;  // destination stride in elements, negative when reversed
};

// Element movers: a fixed size lets the compiler turn the copy into one
// load and one store.
template <std::size_t S>
struct FixedItem {
  std::size_t size() const { return S; }
  void copy(unsigned char *d, const unsigned char *s) const { std::memcpy(d, s, S); }
};
struct AnyItem {
  std::size_t item;
  std::size_t size() const { return item; }
  void copy(unsigned char *d, const unsigned char *s) const { std::memcpy(d, s, item); }
};

constexpr Index kTile = 32;

template <class Item>
void reorder(unsigned char *dest, const unsigned char *src, const std::vector<Axis> &ax,
             Index base, Item it) {
  const std::size_t sz = it.size();
  const std::size_t n = ax.size();
  std::size_t k1 = 0;  // stored axis that is contiguous in the destination
  while (k1 < n && ax[k1].dstride != 1 && ax[k1].dstride != -1) ++k1;
  std::vector<std::size_t> outer;
  for (std::size_t k = 1; k < n; ++k)
    if (k != k1) outer.push_back(k);
  std::vector<Index> count(outer.size(), 0);
  std::vector<unsigned char> tile_buffer(k1 == 0 ? 0 : static_cast<std::size_t>(kTile * kTile) * sz);
  unsigned char *const tile = tile_buffer.data();

  const Index len0 = ax[0].len;
  const Index d0 = ax[0].dstride;
  Index s_off = 0;
  Index d_off = base;
  for (;;) {
    if (k1 == 0) {
      // Source and destination both run along stored axis 0.
      const unsigned char *s = src + s_off * sz;
      unsigned char *d = dest + d_off * sz;
      if (d0 == 1) {
        std::memcpy(d, s, static_cast<std::size_t>(len0) * sz);
      } else {
        for (Index i = 0; i < len0; ++i) it.copy(d - i * sz, s + i * sz);
      }
    } else {
      const Index lenk = ax[k1].len;
      const Index sk = ax[k1].sstride;
      const Index dk = ax[k1].dstride;
      const Index isz = static_cast<Index>(sz);
      for (Index ib = 0; ib < len0; ib += kTile) {
        const Index ie = ib + kTile < len0 ? ib + kTile : len0;
        for (Index kb = 0; kb < lenk; kb += kTile) {
          const Index ke = kb + kTile < lenk ? kb + kTile : lenk;
          // Rows of images are often a power of two long, so that the rows
          // of a tile fall into the same cache set: each line is read and
          // written once, through a small tile buffer, instead of being
          // revisited element by element.
          for (Index k = kb; k < ke; ++k) {
            const unsigned char *s = src + (s_off + ib + k * sk) * sz;
            unsigned char *t = tile + (k - kb) * kTile * isz;
            std::memcpy(t, s, static_cast<std::size_t>(ie - ib) * sz);
          }
          for (Index i = ib; i < ie; ++i) {
            unsigned char *d = dest + (d_off + i * d0 + kb * dk) * sz;
            const unsigned char *t = tile + (i - ib) * isz;
            const Index ds = dk * isz;
            for (Index k = kb; k < ke; ++k, t += kTile * isz, d += ds) it.copy(d, t);
          }
        }
      }
    }
    // Next position of the outer axes, the lowest running fastest.
    std::size_t q = 0;
    for (; q < outer.size(); ++q) {
      const Axis &a = ax[outer[q]];
      if (++count[q] < a.len) {
        s_off += a.sstride;
        d_off += a.dstride;
        break;
      }
      s_off -= a.sstride * (a.len - 1);
      d_off -= a.dstride * (a.len - 1);
      count[q] = 0;
    }
    if (q == outer.size()) break;
  }
}

bool overlap(const void *a, const void *b, std::size_t bytes) {
  const auto pa = reinterpret_cast<std::uintptr_t>(a);
  const auto pb = reinterpret_cast<std::uintptr_t>(b);
  return pa < pb ? pb < pa + bytes : pa < pb + bytes;
}

}  // namespace

int raster_order_normalization(void *dest, const void *src, const rlong *data_dim,
                               const rlong *order, std::size_t item, int *perrval) {
  static const char *prefix = "ERROR: raster_order_normalization:";
  static const char *routine = "raster_order_normalization";
  if (!data_dim) severe(prefix, "Data dimension pointer missing!");
  if (!order) severe(prefix, "Order array  pointer missing!");
  if (!dest) severe(prefix, "Destination pointer missing!");
  if (!src) severe(prefix, "Source pointer missing!");
  trace(routine, "BEGIN");
  auto fail = [&](int e, const char *what) {
    std::fprintf(stderr, "%s %s\n", prefix, what);
    if (perrval) *perrval = e;
    if (raster_debug_get()) std::printf(" %s END (errval=%d)\n", routine, e);
    return -1;
  };

  const rlong n = data_dim[0];
  if (n <= 0) {
    std::fprintf(stderr, "%s data_dim %s\n", prefix, "no or zero dimension");
    if (perrval) *perrval = 1;
    if (raster_debug_get()) std::printf(" %s END (errval=%d)\n", routine, 1);
    return -1;
  }
  // The order is read for n axes: missing axes are the identity, and axes
  // beyond n (of size 1) must be the identity.
  std::vector<rlong> eff;
  try {
    eff.resize(static_cast<std::size_t>(n) + 1);
  } catch (const std::bad_alloc &) {
    return fail(3, "IS cannot allocate memory");
  }
  eff[0] = n;
  if (order[0] < 0) return fail(2, "bad wrapping");
  for (rlong k = 1; k <= n; ++k) eff[k] = k <= order[0] ? order[k] : k;
  for (rlong k = n + 1; k <= order[0]; ++k)
    if (order[k] != k) return fail(2, "bad wrapping");
  if (!raster_detail::valid_order(eff.data())) return fail(2, "bad wrapping");

  bool identity = true;
  for (rlong k = 1; k <= n; ++k) identity = identity && eff[k] == k;
  if (dest == src && identity) {
    if (raster_debug_get()) {
      std::printf("         src and dest arrays are identical\n");
      std::printf("         normalization not required\n");
    }
    if (perrval) *perrval = 0;
    trace(routine, "END");
    return 0;
  }

  // Destination strides of the normal axes and the element count, checked
  // against overflow: a size that cannot be addressed is a bad wrapping.
  std::vector<Index> pstride(static_cast<std::size_t>(n) + 2, 1);
  Index total = 1;
  bool empty = false;
  for (rlong j = 1; j <= n; ++j) {
    pstride[j] = total;
    const Index len = data_dim[j];
    if (len <= 0) {
      empty = true;
      continue;
    }
    if (!empty && total > PTRDIFF_MAX / len) return fail(2, "bad wrapping");
    if (!empty) total *= len;
  }
  if (empty || item == 0) {
    if (perrval) *perrval = 0;
    trace(routine, "END");
    return 0;
  }
  if (static_cast<std::size_t>(total) > SIZE_MAX / item) return fail(2, "bad wrapping");
  const std::size_t bytes = static_cast<std::size_t>(total) * item;

  if (identity) {
    std::memmove(dest, src, bytes);
    if (perrval) *perrval = 0;
    trace(routine, "END");
    return 0;
  }

  std::vector<unsigned char> copy;
  const unsigned char *source = static_cast<const unsigned char *>(src);
  if (overlap(dest, src, bytes)) {
    try {
      copy.assign(source, source + bytes);
    } catch (const std::bad_alloc &) {
      return fail(3, "cannot allocate memory");
    }
    source = copy.data();
  }

  std::vector<Axis> ax;
  try {
    ax.resize(static_cast<std::size_t>(n));
  } catch (const std::bad_alloc &) {
    return fail(3, "IInc cannot allocate memory");
  }
  Index base = 0;
  Index sstride = 1;
  for (rlong k = 1; k <= n; ++k) {
    const rlong j = static_cast<rlong>(absval(eff[k]));
    Axis &a = ax[k - 1];
    a.len = data_dim[j];
    a.sstride = sstride;
    a.dstride = eff[k] > 0 ? pstride[j] : -pstride[j];
    if (eff[k] < 0) base += (a.len - 1) * pstride[j];
    sstride *= a.len;
    if (raster_debug_get())
      std::printf("         axis %d: data_dim=%td order=%d wrap=%td start=%td inc=%d loop=%td\n",
                  static_cast<int>(k), a.len, static_cast<int>(eff[k]), pstride[j],
                  eff[k] > 0 ? Index{1} : a.len, eff[k] > 0 ? 1 : -1, a.len);
  }

  unsigned char *d = static_cast<unsigned char *>(dest);
  switch (item) {
    case 1: reorder(d, source, ax, base, FixedItem<1>{}); break;
    case 2: reorder(d, source, ax, base, FixedItem<2>{}); break;
    case 4: reorder(d, source, ax, base, FixedItem<4>{}); break;
    case 8: reorder(d, source, ax, base, FixedItem<8>{}); break;
    case 16: reorder(d, source, ax, base, FixedItem<16>{}); break;
    default: reorder(d, source, ax, base, AnyItem{item}); break;
  }
  if (perrval) *perrval = 0;
  trace(routine, "END");
  return 0;
}

int raster_normalization(void *dest, const void *src, const rlong *data_dim, rlong raster_number,
                         std::size_t item, int *perrval) {
  static const char *prefix = "ERROR: raster_normalization:";
  if (!data_dim) severe(prefix, "Data dimension pointer missing!");
  trace("raster_normalization", "BEGIN");
  if (raster_debug_get()) std::printf("         raster_number=%d\n", static_cast<int>(raster_number));
  const rlong n = data_dim[0];
  if (n <= 0) {
    std::fprintf(stderr, "%s data_dim %s\n", prefix, "no or zero dimension");
    if (perrval) *perrval = 1;
    trace("raster_normalization", "END (error)");
    return -1;
  }
  const std::vector<rlong> order = raster_number2order(n, raster_number);
  if (order.empty()) {
    std::fprintf(stderr, "%s raster_number=%d %s\n", prefix, static_cast<int>(raster_number),
                 "bad raster configuration");
    if (perrval) *perrval = 2;
    trace("raster_normalization", "END (error)");
    return -1;
  }
  const int r = raster_order_normalization(dest, src, data_dim, order.data(), item, perrval);
  trace("raster_normalization", r ? "END (error)" : "END");
  return r;
}

rlong *raster_order_dimension(rlong *buffer, rlong nelem, const rlong *src_dim,
                              const rlong *src_order, int *perrval) {
  static const char *prefix = "ERROR: raster_order_dimension:";
  auto fail = [&](int e) -> rlong * {
    if (perrval) *perrval = e;
    return nullptr;
  };
  if (!src_dim || !src_order) {
    std::fprintf(stderr, "%s src_dim or src_order is NULL\n", prefix);
    return fail(1);
  }
  const rlong n = src_dim[0] < 0 ? 0 : src_dim[0];
  if (src_order[0] < n) {
    std::fprintf(stderr, "%s source order array is too short (%d<%d)\n", prefix,
                 static_cast<int>(src_order[0]), static_cast<int>(n));
    return fail(2);
  }
  if (!buffer || static_cast<std::int64_t>(nelem) <= n) {
    std::fprintf(stderr, "%s supplied buffer too small\n", prefix);
    return fail(4);
  }
  std::vector<char> defined;
  try {
    defined.assign(static_cast<std::size_t>(n) + 1, 0);
  } catch (const std::bad_alloc &) {
    std::fprintf(stderr, "%s buffer allocation error\n", prefix);
    return fail(3);
  }
  std::vector<rlong> result(static_cast<std::size_t>(n) + 1, 0);
  result[0] = n;
  for (rlong j = 1; j <= n; ++j) {
    const std::int64_t a = absval(src_order[j]);
    if (a < 1 || a > n) {
      std::fprintf(stderr, "%s index %lld is out of range\n", prefix, static_cast<long long>(a));
      return fail(6);
    }
    if (defined[a]) {
      std::fprintf(stderr, "%s index %lld is already defined\n", prefix, static_cast<long long>(a));
      return fail(5);
    }
    defined[a] = 1;
    result[a] = src_dim[j];
  }
  // Only a complete result reaches the buffer, which may be src_dim itself.
  for (rlong j = 0; j <= n; ++j) buffer[j] = result[j];
  if (perrval) *perrval = 0;
  return buffer;
}

std::vector<rlong> raster_order_dimension(const rlong *src_dim, const rlong *src_order,
                                          int *perrval) {
  std::vector<rlong> result;
  if (src_dim && src_dim[0] >= 0) result.resize(static_cast<std::size_t>(src_dim[0]) + 1);
  if (!raster_order_dimension(result.data(), static_cast<rlong>(result.size()), src_dim, src_order,
                              perrval))
    return {};
  return result;
}
