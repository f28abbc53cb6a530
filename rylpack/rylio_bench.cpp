// Benchmarks of the data-file library, each with its yardstick measured in
// the same run and reported as a ratio counter:
//   - conversions, byte swaps and reorientation of a 2048 x 2048 array
//     against a memcpy of the same bytes;
//   - writing and reading back 100 blocks of 2048 x 2048 floats against
//     plain large write/read calls of the same bytes;
//   - the same with gzip compression against zlib used directly;
//   - opening files of many small blocks (time per block must stay flat).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "rylpack/raster.h"
#include "rylpack/rylio.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

constexpr std::size_t kSide = 2048;
constexpr std::size_t kPixels = kSide * kSide;

std::string scratch_dir() {
  std::string dir = (std::filesystem::temp_directory_path() / "rylio-bench").string();
  std::filesystem::create_directories(dir);
  return dir;
}

// memcpy of n bytes, the yardstick of the in-memory cases.
double memcpy_seconds(std::vector<unsigned char> &dst, const std::vector<unsigned char> &src) {
  auto t0 = Clock::now();
  std::memcpy(dst.data(), src.data(), src.size());
  benchmark::DoNotOptimize(dst.data());
  benchmark::ClobberMemory();
  return seconds_since(t0);
}

// Integer type -> float conversion of a 2048 x 2048 array.
void BM_ConvertToFloat(benchmark::State &state) {
  const int mtype = static_cast<int>(state.range(0));
  const std::size_t size = ryl_machine_sizeof(mtype);
  std::vector<unsigned char> src(kPixels * size);
  for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<unsigned char>(i * 7);
  std::vector<unsigned char> dst(kPixels * sizeof(float));
  // The yardstick copies the larger of the two arrays, the float result.
  std::vector<unsigned char> copy(dst.size());
  double ours = 0, yard = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    ryl_machine2machine(dst.data(), 9, src.data(), 0, mtype, kPixels);
    benchmark::ClobberMemory();
    double t = seconds_since(t0);
    state.SetIterationTime(t);
    ours += t;
    yard += memcpy_seconds(copy, dst);
  }
  state.SetLabel(ryl_machinetype2string(mtype));
  state.counters["ratio_to_memcpy"] = ours / yard;
}
BENCHMARK(BM_ConvertToFloat)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Arg(5)->Arg(6)->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_ByteSwap(benchmark::State &state) {
  std::vector<unsigned char> src(kPixels * 4, 3);
  std::vector<unsigned char> copy(src.size());
  double ours = 0, yard = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    ryl_bswap(src.data(), src.data(), 4, kPixels);
    benchmark::ClobberMemory();
    double t = seconds_since(t0);
    state.SetIterationTime(t);
    ours += t;
    yard += memcpy_seconds(copy, src);
  }
  state.counters["ratio_to_memcpy"] = ours / yard;
}
BENCHMARK(BM_ByteSwap)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_NormalizeOrientation(benchmark::State &state) {
  const rlong orientation = static_cast<rlong>(state.range(0));
  std::vector<unsigned char> src(kPixels * 4, 5), dst(src.size()), copy(src.size());
  const rlong dim[] = {2, static_cast<rlong>(kSide), static_cast<rlong>(kSide)};
  double ours = 0, yard = 0;
  for (auto _ : state) {
    int err = 0;
    auto t0 = Clock::now();
    raster_normalization(dst.data(), src.data(), dim, orientation, 4, &err);
    benchmark::ClobberMemory();
    double t = seconds_since(t0);
    state.SetIterationTime(t);
    ours += t;
    yard += memcpy_seconds(copy, src);
  }
  state.counters["ratio_to_memcpy"] = ours / yard;
}
BENCHMARK(BM_NormalizeOrientation)->Arg(5)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond);

// ---- whole files -----------------------------------------------------------------

constexpr int kBlocks = 100;

std::vector<float> ramp_image() {
  std::vector<float> v(kPixels);
  for (std::size_t i = 0; i < kPixels; ++i) v[i] = static_cast<float>((i % 4096) * 0.5);
  return v;
}

// Plain large write and read calls of the same bytes.
double plain_write_read(const std::string &path, const std::vector<float> &image) {
  std::vector<float> back(kPixels);
  auto t0 = Clock::now();
  int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
  for (int b = 0; b < kBlocks; ++b)
    if (::write(fd, image.data(), kPixels * 4) < 0) break;
  ::fsync(fd);
  ::close(fd);
  fd = ::open(path.c_str(), O_RDONLY);
  for (int b = 0; b < kBlocks; ++b)
    if (::read(fd, back.data(), kPixels * 4) < 0) break;
  ::close(fd);
  benchmark::DoNotOptimize(back.data());
  return seconds_since(t0);
}

double ryl_write_read(const std::string &path, const std::vector<float> &image) {
  int err, status;
  rlong dim[] = {2, static_cast<rlong>(kSide), static_cast<rlong>(kSide)};
  auto t0 = Clock::now();
  int s = ryl_open_data_file(path.c_str(), "new", &err, &status);
  for (int b = 1; b <= kBlocks; ++b)
    ryl_write_data(s, b, 1, dim, const_cast<float *>(image.data()), 9, &err, &status);
  ryl_close_data_file(s, &err, &status);
  {
    int fd = ::open(path.c_str(), O_RDONLY);
    ::fsync(fd);
    ::close(fd);
  }
  s = ryl_open_data_file(path.c_str(), "read", &err, &status);
  std::vector<float> back(kPixels);
  for (int b = 1; b <= kBlocks; ++b) {
    rlong *pdim = nullptr;
    void *data = back.data();
    std::size_t size = back.size() * 4;
    ryl_read_data(s, b, 1, &pdim, &size, &data, 9, &err, &status);
  }
  ryl_close_data_file(s, &err, &status);
  benchmark::DoNotOptimize(back.data());
  return seconds_since(t0);
}

void BM_FileWriteRead(benchmark::State &state) {
  const std::string dir = scratch_dir();
  const std::vector<float> image = ramp_image();
  double ours = 0, yard = 0;
  for (auto _ : state) {
    double t = ryl_write_read(dir + "/series.ryl", image);
    state.SetIterationTime(t);
    ours += t;
    yard += plain_write_read(dir + "/plain.bin", image);
  }
  std::filesystem::remove(dir + "/series.ryl");
  std::filesystem::remove(dir + "/plain.bin");
  state.counters["ratio_to_plain_io"] = ours / yard;
}
BENCHMARK(BM_FileWriteRead)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// zlib used directly at the same level on the same bytes.
double zlib_direct(const std::vector<float> &image) {
  const Bytef *src = reinterpret_cast<const Bytef *>(image.data());
  const uLong n = static_cast<uLong>(kPixels * 4);
  std::vector<Bytef> packed(compressBound(n));
  std::vector<Bytef> back(n);
  auto t0 = Clock::now();
  for (int b = 0; b < kBlocks; ++b) {
    uLongf plen = static_cast<uLongf>(packed.size());
    compress2(packed.data(), &plen, src, n, Z_DEFAULT_COMPRESSION);
    uLongf blen = n;
    uncompress(back.data(), &blen, packed.data(), plen);
  }
  benchmark::DoNotOptimize(back.data());
  return seconds_since(t0);
}

void BM_FileWriteReadGzip(benchmark::State &state) {
  const std::string dir = scratch_dir();
  const std::vector<float> image = ramp_image();
  double ours = 0, yard = 0;
  ryl_set_datacompression(2);
  for (auto _ : state) {
    double t = ryl_write_read(dir + "/packed.ryl", image);
    state.SetIterationTime(t);
    ours += t;
    yard += zlib_direct(image);
  }
  ryl_set_datacompression(0);
  std::filesystem::remove(dir + "/packed.ryl");
  state.counters["ratio_to_zlib"] = ours / yard;
}
BENCHMARK(BM_FileWriteReadGzip)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Opening a file of many one-pixel blocks: every block is located.
void BM_OpenManyBlocks(benchmark::State &state) {
  const int n = static_cast<int>(state.range(0));
  const std::string path = scratch_dir() + "/many" + std::to_string(n) + ".ryl";
  int err, status;
  {
    int s = ryl_open_data_file(path.c_str(), "new", &err, &status);
    rlong dim[] = {2, 1, 1};
    float v = 1.0f;
    for (int b = 1; b <= n; ++b) ryl_write_data(s, b, 1, dim, &v, 9, &err, &status);
    ryl_close_data_file(s, &err, &status);
  }
  for (auto _ : state) {
    int s = ryl_open_data_file(path.c_str(), "read", &err, &status);
    ryl_close_data_file(s, &err, &status);
  }
  std::filesystem::remove(path);
  state.counters["blocks"] = n;
}
BENCHMARK(BM_OpenManyBlocks)->Arg(1000)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
