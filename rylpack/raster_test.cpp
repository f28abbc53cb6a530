#include "rylpack/raster.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <set>
#include <string>
#include <vector>

namespace {

using Order = std::vector<rlong>;

Order order_of(std::initializer_list<rlong> axes) {
  Order o{static_cast<rlong>(axes.size())};
  o.insert(o.end(), axes.begin(), axes.end());
  return o;
}

std::string text_of(const Order &o) {
  std::string s = "(";
  for (std::size_t k = 1; k < o.size(); ++k) {
    if (k > 1) s += ',';
    s += std::to_string(o[k]);
  }
  s += ')';
  return s;
}

// The 16 orientations valid for 2-dimensional images, written out.
const Order kTable16[] = {
    order_of({1, 2, 3}),   order_of({-1, 2, 3}),   order_of({1, -2, 3}),   order_of({-1, -2, 3}),
    order_of({2, 1, 3}),   order_of({2, -1, 3}),   order_of({-2, 1, 3}),   order_of({-2, -1, 3}),
    order_of({1, 2, -3}),  order_of({-1, 2, -3}),  order_of({1, -2, -3}),  order_of({-1, -2, -3}),
    order_of({2, 1, -3}),  order_of({2, -1, -3}),  order_of({-2, 1, -3}),  order_of({-2, -1, -3}),
};

TEST(RasterNumbers, CountOrientationsPerAxisCount) {
  struct Case {
    rlong n, expected;
  } cases[] = {{-1, 0}, {0, 1}, {1, 2}, {2, 8}, {3, 48}, {4, 384}, {9, 185794560}, {10, 0}};
  for (const auto &c : cases) EXPECT_EQ(raster_numbers(c.n), c.expected) << "n=" << c.n;
}

TEST(RasterNumbers, TableOfTheSixteenImageOrientations) {
  for (rlong r = 1; r <= 16; ++r) {
    const Order &want = kTable16[r - 1];
    EXPECT_EQ(raster_number2order(3, r), want) << "number " << r;
    EXPECT_EQ(raster_order2number(want.data()), r) << text_of(want);
  }
  // In two dimensions: number - 1 = 4*(exchanged) + 2*(axis 2 reversed) + (axis 1 reversed).
  for (rlong r = 1; r <= 8; ++r) {
    const Order o = raster_number2order(2, r);
    ASSERT_EQ(o.size(), 3u) << r;
    const bool exchanged = o[1] == 2 || o[1] == -2;
    const rlong axis1 = exchanged ? o[2] : o[1];
    const rlong axis2 = exchanged ? o[1] : o[2];
    EXPECT_EQ(r - 1, 4 * exchanged + 2 * (axis2 < 0) + (axis1 < 0)) << text_of(o);
  }
}

TEST(RasterNumbers, NumbersAndOrdersAreABijection) {
  for (rlong n = 0; n <= 5; ++n) {
    std::set<Order> seen;
    for (rlong r = 1; r <= raster_numbers(n); ++r) {
      const Order o = raster_number2order(n, r);
      ASSERT_EQ(o.size(), static_cast<std::size_t>(n) + 1) << "n=" << n << " r=" << r;
      EXPECT_EQ(raster_order2number(o.data()), r) << text_of(o);
      seen.insert(o);
      // Appending identity axes does not change the number.
      Order longer = raster_number2order(n + 2, r);
      Order expected = o;
      expected[0] = n + 2;
      expected.push_back(n + 1);
      expected.push_back(n + 2);
      EXPECT_EQ(longer, expected) << "n=" << n << " r=" << r;
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(raster_numbers(n)));
    EXPECT_TRUE(raster_number2order(n, raster_numbers(n) + 1).empty()) << n;
    EXPECT_TRUE(raster_number2order(n, 0).empty()) << n;
  }
}

TEST(RasterNumbers, ManyAxesKeepTheNumberOfTheFirstNine) {
  const Order o12 = raster_number2order(12, 100000);
  ASSERT_EQ(o12.size(), 13u);
  const Order o9 = raster_number2order(9, 100000);
  for (rlong k = 1; k <= 9; ++k) EXPECT_EQ(o12[k], o9[k]);
  for (rlong k = 10; k <= 12; ++k) EXPECT_EQ(o12[k], k);
  EXPECT_EQ(raster_order2number(o12.data()), 100000);

  Order bad = o12;
  std::swap(bad[10], bad[11]);  // axes above 9 must be the identity
  EXPECT_EQ(raster_order2number(bad.data()), 0);
  EXPECT_TRUE(raster_number2order(12, raster_numbers(9) + 1).empty());
}

TEST(RasterNumbers, InvalidOrdersHaveNoNumber) {
  const Order cases[] = {order_of({1, 1}), order_of({0, 2}), order_of({1, 3}), order_of({2, -2}),
                         order_of({1, 2, 2})};
  for (const auto &o : cases) EXPECT_EQ(raster_order2number(o.data()), 0) << text_of(o);
  EXPECT_EQ(raster_order2number(nullptr), 0);
}

TEST(RasterNumbers, BufferFormRejectsSmallBuffers) {
  rlong buf[3] = {7, 7, 7};
  EXPECT_EQ(raster_number2order(buf, 2, 2, 1), nullptr);
  EXPECT_EQ(buf[0], 7);
  EXPECT_EQ(raster_number2order(nullptr, 10, 2, 1), nullptr);
  ASSERT_EQ(raster_number2order(buf, 3, 2, 6), buf);
  EXPECT_EQ(Order(buf, buf + 3), order_of({2, -1}));
}

TEST(RasterAlgebra, InverseAndComposition) {
  EXPECT_EQ(raster_number2order(2, 6), order_of({2, -1}));
  EXPECT_EQ(raster_inversion(6), 7);
  EXPECT_EQ(raster_inversion(7), 6);
  EXPECT_EQ(raster_multiplication(6, 6), 4);
  EXPECT_EQ(raster_multiplication(5, 2), 6);
  EXPECT_EQ(raster_number2order(2, -6), raster_number2order(2, 7));
  for (rlong r = 1; r <= 8; ++r) {
    if (r != 6 && r != 7) {
      EXPECT_EQ(raster_inversion(r), r) << r;
    }
  }

  // For every orientation of 3 axes: x * x^-1 = x^-1 * x = 1, and the
  // order form agrees with the number form.
  for (rlong r = 1; r <= 48; ++r) {
    const rlong inv = raster_inversion(r);
    EXPECT_EQ(raster_multiplication(r, inv), 1) << r;
    EXPECT_EQ(raster_multiplication(inv, r), 1) << r;
    EXPECT_EQ(raster_number2order(3, -r), raster_number2order(3, inv)) << r;
    const Order o = raster_number2order(3, r);
    const Order p = raster_order_inversion(o.data());
    EXPECT_EQ(raster_order2number(raster_order_multiplication(o.data(), p.data()).data()), 1) << r;
  }
  EXPECT_EQ(raster_inversion(0), 0);
  EXPECT_EQ(raster_multiplication(0, 1), 0);
}

TEST(RasterAlgebra, CompositionWithFewerOrMoreAxes) {
  const Order a = order_of({2, 1});
  const Order x = order_of({-1, 2, -3});
  // a acts as the identity on the third axis.
  EXPECT_EQ(raster_order_multiplication(a.data(), x.data()), order_of({2, -1, -3}));
  EXPECT_TRUE(raster_order_multiplication(x.data(), a.data()).empty());
  const Order bad = order_of({1, 1});
  EXPECT_TRUE(raster_order_multiplication(bad.data(), x.data()).empty());
  EXPECT_TRUE(raster_order_inversion(bad.data()).empty());

  // The result may replace an operand.
  Order y = order_of({2, -1});
  const Order six = y;
  ASSERT_NE(raster_order_multiplication(y.data(), 3, six.data(), y.data()), nullptr);
  EXPECT_EQ(y, order_of({-1, -2}));
  ASSERT_NE(raster_order_inversion(y.data(), 3, six.data()), nullptr);
  EXPECT_EQ(y, order_of({-2, 1}));
}

// Determinant of a small dense matrix by cofactor expansion.
double det(const std::vector<double> &m, int n) {
  if (n == 1) return m[0];
  double sum = 0;
  for (int c = 0; c < n; ++c) {
    std::vector<double> sub;
    for (int r = 1; r < n; ++r)
      for (int cc = 0; cc < n; ++cc)
        if (cc != c) sub.push_back(m[r * n + cc]);
    sum += (c % 2 ? -1 : 1) * m[c] * det(sub, n - 1);
  }
  return sum;
}

TEST(RasterAlgebra, DeterminantOfSignedPermutations) {
  struct Case {
    Order order;
    int det;
  } cases[] = {{order_of({2, 1}), -1}, {order_of({-1, 2}), -1}, {order_of({-1, -2}), 1},
               {order_of({1, 2, 3}), 1}, {order_of({3, 1, 2}), 1}, {order_of({3, 2, 1}), -1},
               {order_of({-3, -2, -1}), 1}, {order_of({1, 1}), 0}};
  for (const auto &c : cases)
    EXPECT_EQ(raster_order_determinante(c.order.data()), c.det) << text_of(c.order);
  for (rlong r = 1; r <= 384; ++r) {
    const Order o = raster_number2order(4, r);
    const std::vector<double> m = raster_order2matrix(o.data());
    EXPECT_EQ(raster_order_determinante(o.data()), static_cast<int>(det(m, 4))) << text_of(o);
  }
}

TEST(RasterMatrix, RowsHoldTheSignedAxes) {
  const Order o = order_of({2, -1});
  EXPECT_EQ(raster_order2matrix(o.data()), (std::vector<double>{0, 1, -1, 0}));
  const Order o3 = order_of({-3, 1, 2});
  EXPECT_EQ(raster_order2matrix(o3.data()), (std::vector<double>{0, 0, -1, 1, 0, 0, 0, 1, 0}));
}

TEST(RasterMatrix, MatricesAgreeWithComposition) {
  for (rlong a = 1; a <= 16; ++a)
    for (rlong x = 1; x <= 16; ++x) {
      const Order ao = raster_number2order(3, a), xo = raster_number2order(3, x);
      const std::vector<double> ma = raster_order2matrix(ao.data());
      const std::vector<double> mx = raster_order2matrix(xo.data());
      std::vector<double> prod(9);
      ASSERT_NE(raster_matrix_product(prod.data(), 9, mx.data(), ma.data(), 3, 3, 3), nullptr);
      const Order y = raster_number2order(3, raster_multiplication(a, x));
      EXPECT_EQ(prod, raster_order2matrix(y.data())) << a << " * " << x;
    }
}

TEST(RasterMatrix, ProductOfRectangularMatrices) {
  // B (2x3) x A (3x1).
  const double A[] = {1, 2, 3};
  const double B[] = {1, 0, 2, -1, 1, 0};
  double C[2] = {};
  ASSERT_NE(raster_matrix_product(C, 2, A, B, 2, 3, 1), nullptr);
  EXPECT_EQ(C[0], 7.0);
  EXPECT_EQ(C[1], 1.0);
  EXPECT_EQ(raster_matrix_product(C, 1, A, B, 2, 3, 1), nullptr);
}

TEST(RasterMatrix, Failures) {
  const Order o = order_of({2, 1});
  double m[4];
  EXPECT_EQ(raster_order2matrix(m, 3, o.data()), nullptr);
  EXPECT_EQ(raster_order2matrix(m, 4, nullptr), nullptr);
  const Order out = order_of({3, 1});
  EXPECT_EQ(raster_order2matrix(m, 4, out.data()), nullptr);
  EXPECT_EQ(raster_order2matrix(m, 4, o.data()), m);
}

TEST(RasterMatrix, PrintsColumnMajorElements) {
  std::FILE *f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  const double M[] = {1, 2, 3, 4, 5, 6};  // 2 rows, 3 columns, column by column
  EXPECT_EQ(raster_fprint_matrix(f, 2, 3, M, "M"), 0);
  std::rewind(f);
  char buf[512] = {};
  const std::size_t len = std::fread(buf, 1, sizeof buf - 1, f);
  std::fclose(f);
  char want[512];
  std::snprintf(want, sizeof want, "%14s \n%14g %14g %14g \n%14g %14g %14g \n\n", "M", 1.0, 3.0, 5.0,
                2.0, 4.0, 6.0);
  EXPECT_EQ(std::string(buf, len), want);
}

TEST(RasterText, PrintOrders) {
  int e = -1;
  const Order o = order_of({2, -1, 3});
  EXPECT_EQ(raster_order2str(o.data(), &e), "2,-1,3");
  EXPECT_EQ(e, 0);
  char buf[5];
  EXPECT_STREQ(raster_order2str(buf, 5, o.data(), &e), "2,-1");
  EXPECT_EQ(raster_order2str(buf, 0, o.data(), &e), nullptr);
  EXPECT_EQ(e, 2);
  EXPECT_EQ(raster_order2str(buf, 5, nullptr, &e), nullptr);
  EXPECT_EQ(e, 1);
  const Order none{0};
  EXPECT_EQ(raster_order2str(none.data(), &e), "");
}

TEST(RasterText, ParseOrdersAndNumbers) {
  struct Case {
    rlong n;
    const char *text;
    int err;
    rlong number;      // expected orientation when err == 0
    std::size_t tail;  // characters consumed on success
  } cases[] = {
      {2, "1,1", 3, 0, 0},          {2, "3", 0, 3, 1},          {2, "2,1", 0, 5, 3},
      {2, "0", 4, 0, 0},            {2, "1,2,3", 7, 0, 0},      {2, "12", 8, 0, 0},
      {2, "2 , -1", 0, 6, 6},       {2, "-2 1", 0, 7, 4},       {2, "-6", 0, 7, 2},
      {3, "5", 0, 5, 1},            {3, "2", 0, 2, 1},          {3, "-1", 0, 1, 2},
      {3, "12", 0, 12, 2},          {3, "2,1,3", 0, 5, 5},      {3, "2,1", 6, 0, 0},
      {3, "3,1", 5, 0, 0},          {3, "1,1", 3, 0, 0},        {3, "0", 4, 0, 0},
      {3, "1,4,2", 4, 0, 0},        {3, "49", 8, 0, 0},         {3, "5 x", 7, 0, 0},
      {3, "", 6, 0, 0},             {3, nullptr, 6, 0, 0},      {3, "2*3", 0, 6, 3},
      {3, "(1+1),1,3", 0, 5, 9},    {3, "1x", 1002, 0, 0},      {3, "(1", 1004, 0, 0},
      {3, "1)", 1004, 0, 0},        {3, "?", 1005, 0, 0}  ,     {3, "7/0", 1010, 0, 0},
      {3, "2*-3", 1005, 0, 0},      {1, "-1", 0, 2, 2},         {1, "2", 0, 2, 1},
      {1, "0", 4, 0, 0},            {2, "yes", 0, 1, 3},
  };
  for (const auto &c : cases) {
    const std::string label = std::string("n=") + std::to_string(c.n) + " text=" + (c.text ? c.text : "(null)");
    const char *tail = nullptr;
    int err = -1;
    const Order o = raster_str2order(c.n, c.text, &tail, &err);
    EXPECT_EQ(err, c.err) << label;
    if (c.err == 0) {
      ASSERT_FALSE(o.empty()) << label;
      EXPECT_EQ(raster_order2number(o.data()), c.number) << label << " " << text_of(o);
      EXPECT_EQ(tail, c.text + c.tail) << label;
      EXPECT_EQ(raster_str2number(c.n, c.text, nullptr, nullptr), c.number) << label;
    } else {
      EXPECT_TRUE(o.empty()) << label;
      EXPECT_EQ(tail, c.text ? c.text : tail) << label;
      EXPECT_EQ(raster_str2number(c.n, c.text, nullptr, nullptr), 0) << label;
    }
  }
}

TEST(RasterText, ParseIntoSuppliedBuffer) {
  rlong buf[4];
  int err = -1;
  const char *text = "2,1,3";
  const char *tail = nullptr;
  EXPECT_EQ(raster_str2order(buf, 3, 3, text, &tail, &err), nullptr);
  EXPECT_EQ(err, 9);
  EXPECT_EQ(tail, text);
  EXPECT_EQ(raster_str2order(nullptr, 4, 3, text, &tail, &err), nullptr);
  EXPECT_EQ(err, 9);
  ASSERT_EQ(raster_str2order(buf, 4, 3, text, &tail, &err), buf);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(Order(buf, buf + 4), order_of({2, 1, 3}));
}

TEST(RasterDimension, DimensionsAfterNormalization) {
  int e = -1;
  const Order dim = order_of({3, 5, 7});
  const Order o = order_of({2, -3, 1});
  EXPECT_EQ(raster_order_dimension(dim.data(), o.data(), &e), order_of({7, 3, 5}));
  EXPECT_EQ(e, 0);

  struct Case {
    Order order;
    int err;
  } cases[] = {{order_of({1, 2}), 2}, {order_of({1, 1, 2}), 5}, {order_of({1, 4, 2}), 6},
               {order_of({0, 1, 2}), 6}};
  for (const auto &c : cases) {
    EXPECT_TRUE(raster_order_dimension(dim.data(), c.order.data(), &e).empty()) << text_of(c.order);
    EXPECT_EQ(e, c.err) << text_of(c.order);
  }
  EXPECT_TRUE(raster_order_dimension(nullptr, o.data(), &e).empty());
  EXPECT_EQ(e, 1);
  rlong small[3];
  EXPECT_EQ(raster_order_dimension(small, 3, dim.data(), o.data(), &e), nullptr);
  EXPECT_EQ(e, 4);
  // In place: the buffer may be the source dimensions.
  Order d = dim;
  ASSERT_NE(raster_order_dimension(d.data(), 4, d.data(), o.data(), &e), nullptr);
  EXPECT_EQ(d, order_of({7, 3, 5}));
}

// ------------------------------------------------------------ reordering --

// Builds the array as it is stored in the orientation `order`, from the
// normal array, using the order's matrix: with pixel coordinates taken
// relative to the array centre, normal = M^T * stored.
std::vector<unsigned char> stored_from_normal(const std::vector<unsigned char> &normal,
                                              const Order &dim, const Order &order, std::size_t item) {
  const int n = dim[0];
  const std::vector<double> m = raster_order2matrix(order.data());
  std::vector<rlong> len(n + 1);
  for (int k = 1; k <= n; ++k) len[k] = dim[order[k] < 0 ? -order[k] : order[k]];
  std::vector<unsigned char> stored(normal.size());
  const std::size_t total = normal.size() / item;
  std::vector<rlong> s(n + 1, 0);
  for (std::size_t e = 0; e < total; ++e) {
    std::size_t rest = e;
    for (int k = 1; k <= n; ++k) {
      s[k] = static_cast<rlong>(rest % len[k]);
      rest /= len[k];
    }
    std::size_t target = 0, stride = 1;
    for (int j = 1; j <= n; ++j) {
      double c = 0;
      for (int k = 1; k <= n; ++k) c += m[(k - 1) * n + (j - 1)] * (s[k] - (len[k] - 1) / 2.0);
      const double idx = c + (dim[j] - 1) / 2.0;
      target += static_cast<std::size_t>(idx) * stride;
      stride *= dim[j];
    }
    std::memcpy(&stored[e * item], &normal[target * item], item);
  }
  return stored;
}

// A normal array whose elements are all different.
std::vector<unsigned char> numbered(std::size_t count, std::size_t item) {
  std::vector<unsigned char> a(count * item);
  for (std::size_t e = 0; e < count; ++e)
    for (std::size_t b = 0; b < item; ++b) a[e * item + b] = static_cast<unsigned char>((e >> (8 * (b % 4))) + 31 * b);
  return a;
}

std::size_t count_of(const Order &dim) {
  std::size_t c = 1;
  for (std::size_t k = 1; k < dim.size(); ++k) c *= dim[k];
  return c;
}

TEST(RasterNormalization, SmallImageInEveryOrientation) {
  // Normal 3 x 2 image holding 10*row + column; stored forms written by hand.
  const std::vector<float> normal = {0, 1, 2, 10, 11, 12};
  const std::vector<float> stored[8] = {
      {0, 1, 2, 10, 11, 12}, {2, 1, 0, 12, 11, 10}, {10, 11, 12, 0, 1, 2}, {12, 11, 10, 2, 1, 0},
      {0, 10, 1, 11, 2, 12}, {2, 12, 1, 11, 0, 10}, {10, 0, 11, 1, 12, 2}, {12, 2, 11, 1, 10, 0},
  };
  const Order dim2 = order_of({3, 2});
  const Order dim3 = order_of({3, 2, 1});  // orientations 9..16 need a third axis
  for (rlong r = 1; r <= 16; ++r) {
    std::vector<float> out(6, -1);
    int e = -1;
    const Order &dim = r <= 8 ? dim2 : dim3;
    EXPECT_EQ(raster_normalization(out.data(), stored[(r - 1) % 8].data(), dim.data(), r, sizeof(float), &e), 0) << r;
    EXPECT_EQ(e, 0);
    EXPECT_EQ(out, normal) << "orientation " << r;
  }
}

TEST(RasterNormalization, AgreesWithTheMatrixForAllItemSizes) {
  struct Case {
    Order dim;
    rlong first, last;
  } cases[] = {
      {order_of({4, 3}), 1, 8},        {order_of({70, 45}), 1, 8},   {order_of({33, 1}), 1, 8},
      {order_of({5, 4, 1}), 9, 16},    {order_of({2, 3, 4}), 1, 48}, {order_of({3, 2, 2, 3}), 1, 384},
      {order_of({40, 3, 35}), 1, 48},
  };
  for (const auto &c : cases)
    for (std::size_t item : {1u, 2u, 3u, 4u, 8u, 16u}) {
      const std::size_t count = count_of(c.dim);
      const std::vector<unsigned char> normal = numbered(count, item);
      for (rlong r = c.first; r <= c.last; ++r) {
        const Order o = raster_number2order(c.dim[0], r);
        const std::vector<unsigned char> stored = stored_from_normal(normal, c.dim, o, item);
        std::vector<unsigned char> out(normal.size(), 0xee);
        int e = -1;
        ASSERT_EQ(raster_order_normalization(out.data(), stored.data(), c.dim.data(), o.data(), item, &e), 0);
        EXPECT_EQ(out, normal) << "dims " << text_of(c.dim) << " order " << text_of(o) << " item " << item;
        // The same in place.
        std::vector<unsigned char> inplace = stored;
        ASSERT_EQ(raster_normalization(inplace.data(), inplace.data(), c.dim.data(), r, item, &e), 0);
        EXPECT_EQ(inplace, normal) << "in place, dims " << text_of(c.dim) << " r " << r << " item " << item;
      }
    }
}

TEST(RasterNormalization, OverlappingArrays) {
  const Order dim = order_of({4, 3});
  const std::size_t count = 12;
  const std::vector<unsigned char> normal = numbered(count, 4);
  for (rlong r = 1; r <= 8; ++r) {
    const Order o = raster_number2order(2, r);
    const std::vector<unsigned char> stored = stored_from_normal(normal, dim, o, 4);
    for (std::ptrdiff_t shift : {-8, -4, 4, 8}) {
      std::vector<unsigned char> area(normal.size() + 16, 0);
      unsigned char *src = area.data() + 8;
      std::memcpy(src, stored.data(), stored.size());
      unsigned char *dst = src + shift;
      int e = -1;
      ASSERT_EQ(raster_normalization(dst, src, dim.data(), r, 4, &e), 0);
      EXPECT_EQ(std::vector<unsigned char>(dst, dst + normal.size()), normal) << r << " shift " << shift;
    }
  }
}

TEST(RasterNormalization, IdentityInPlaceLeavesTheArray) {
  std::vector<std::uint16_t> a = {1, 2, 3, 4, 5, 6};
  const std::vector<std::uint16_t> before = a;
  const Order dim = order_of({3, 2});
  int e = -1;
  EXPECT_EQ(raster_normalization(a.data(), a.data(), dim.data(), 1, 2, &e), 0);
  EXPECT_EQ(e, 0);
  EXPECT_EQ(a, before);
  std::vector<std::uint16_t> out(6, 0);
  EXPECT_EQ(raster_normalization(out.data(), a.data(), dim.data(), 1, 2, &e), 0);
  EXPECT_EQ(out, before);
}

TEST(RasterNormalization, ShortOrderIsExtendedByIdentityAxes) {
  const std::vector<std::uint8_t> stored = {2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9};
  const Order dim = order_of({3, 2, 2});
  const Order o = order_of({-1});
  std::vector<std::uint8_t> out(12);
  int e = -1;
  ASSERT_EQ(raster_order_normalization(out.data(), stored.data(), dim.data(), o.data(), 1, &e), 0);
  std::vector<std::uint8_t> want(12);
  std::iota(want.begin(), want.end(), 0);
  EXPECT_EQ(out, want);
}

TEST(RasterNormalization, Failures) {
  float src[6] = {}, dst[6] = {};
  int e = -1;
  const Order none{0};
  EXPECT_EQ(raster_normalization(dst, src, none.data(), 1, 4, &e), -1);
  EXPECT_EQ(e, 1);
  const Order o = order_of({1, 2});
  EXPECT_EQ(raster_order_normalization(dst, src, none.data(), o.data(), 4, &e), -1);
  EXPECT_EQ(e, 1);
  const Order dim = order_of({3, 2});
  EXPECT_EQ(raster_normalization(dst, src, dim.data(), 9, 4, &e), -1);
  EXPECT_EQ(e, 2);
  EXPECT_EQ(raster_normalization(dst, src, dim.data(), 0, 4, &e), -1);
  EXPECT_EQ(e, 2);
  const Order twice = order_of({1, 1});
  EXPECT_EQ(raster_order_normalization(dst, src, dim.data(), twice.data(), 4, &e), -1);
  EXPECT_EQ(e, 2);
  const Order extra = order_of({1, 2, -3});  // a third axis beyond the data must be the identity
  EXPECT_EQ(raster_order_normalization(dst, src, dim.data(), extra.data(), 4, &e), -1);
  EXPECT_EQ(e, 2);
}

TEST(RasterNormalizationDeathTest, MissingPointersEndTheProcess) {
  float a[4] = {};
  const Order dim = order_of({2, 2});
  const Order o = order_of({2, 1});
  int e = 0;
  EXPECT_EXIT(raster_order_normalization(a, a, nullptr, o.data(), 4, &e), testing::ExitedWithCode(255),
              "SEVERE ERROR: raster_order_normalization: Data dimension pointer missing!");
  EXPECT_EXIT(raster_order_normalization(a, a, dim.data(), nullptr, 4, &e), testing::ExitedWithCode(255),
              "Order array  pointer missing!");
  EXPECT_EXIT(raster_order_normalization(nullptr, a, dim.data(), o.data(), 4, &e),
              testing::ExitedWithCode(255), "Destination pointer missing!");
  EXPECT_EXIT(raster_order_normalization(a, nullptr, dim.data(), o.data(), 4, &e),
              testing::ExitedWithCode(255), "Source pointer missing!");
  EXPECT_EXIT(raster_normalization(a, a, nullptr, 5, 4, &e), testing::ExitedWithCode(255),
              "SEVERE ERROR: raster_normalization: Data dimension pointer missing!");
}

TEST(RasterDebug, TracesWhenSwitchedOn) {
  const Order dim = order_of({2, 2});
  float a[4] = {1, 2, 3, 4}, b[4];
  int e = 0;
  raster_debug(1);
  testing::internal::CaptureStdout();
  raster_normalization(b, a, dim.data(), 5, 4, &e);
  const std::string out = testing::internal::GetCapturedStdout();
  raster_debug(0);
  EXPECT_NE(out.find(" raster_normalization BEGIN"), std::string::npos) << out;
  EXPECT_NE(out.find(" raster_order_normalization END"), std::string::npos) << out;
  testing::internal::CaptureStdout();
  raster_normalization(b, a, dim.data(), 5, 4, &e);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_STREQ(raster_version(), "raster : V1.8 Tessmor 2015-12-08");
}

}  // namespace
