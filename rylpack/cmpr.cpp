// cmpr: zlib deflate and inflate between memory and streams, in pieces of
// 16384 bytes. The debug switch is the module's one piece of process-wide
// state.
#include "rylpack/cmpr.h"
#include "rylpack/filename.h"
#include "rylpack/strlib.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t CHUNK = 16384;
constexpr int CMPR_DEF_MEM_LEVEL = 8;
constexpr int kGzipWindowBits = 31;  // 15 bits of window, gzip wrapper

int debug_switch = 0;

// A zlib stream that is ended however the routine leaves.
struct ZStream {
  z_stream s{};
  bool deflating = false;
  bool ready = false;
  ZStream() = default;
  ZStream(const ZStream &) = delete;
  ZStream &operator=(const ZStream &) = delete;
  ~ZStream() {
    if (ready) {
      if (deflating) deflateEnd(&s); else inflateEnd(&s);
    }
  }
};

int init_deflate(ZStream &z, int method, const char *who) {
  int r;
  if (method == CMPR_GZIP) {
    if (debug_switch)
      std::printf("%s: deflateInit2(level=%d, method=%d, windowBits=%d, memLevel=%d, "
                  "strategy=%d)\n", who, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindowBits,
                  CMPR_DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY);
    r = deflateInit2(&z.s, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindowBits,
                     CMPR_DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY);
  } else if (method == CMPR_Z) {
    if (debug_switch) std::printf("%s: deflateInit(level=%d)\n", who, Z_DEFAULT_COMPRESSION);
    r = deflateInit(&z.s, Z_DEFAULT_COMPRESSION);
  } else {
    return Z_ERRNO;  // -1: no such method
  }
  z.deflating = true;
  z.ready = r == Z_OK;
  return r;
}

int init_inflate(ZStream &z, int method, const char *who) {
  int r;
  if (method == CMPR_GZIP) {
    if (debug_switch) std::printf("%s: inflateInit2(windowBits=%d)\n", who, kGzipWindowBits);
    r = inflateInit2(&z.s, kGzipWindowBits);
  } else if (method == CMPR_Z) {
    if (debug_switch) std::printf("%s: inflateInit()\n", who);
    r = inflateInit(&z.s);
  } else {
    return Z_ERRNO;
  }
  z.deflating = false;
  z.ready = r == Z_OK;
  return r;
}

void begin(const char *who) {
  if (debug_switch) std::printf("%s BEGIN\n", who);
}

// Stores the results, reports a failure and returns the routine's result.
int done(const char *who, int errval, std::size_t converted, std::size_t *pconverted,
         int *perrval) {
  if (pconverted) *pconverted = converted;
  if (perrval) *perrval = errval;
  if (errval != Z_OK)
    std::fprintf(stderr, "%s: %s (%s)\n", who, cmpr_errval2string(errval), cmpr_version());
  if (debug_switch)
    std::printf("%s END (errval=%d, %lu bytes out)\n", who, errval,
                static_cast<unsigned long>(converted));
  return errval == Z_OK ? 0 : -1;
}

// zlib's result of a failed call as this module's error value.
int error_of(int ret) {
  if (ret == Z_NEED_DICT || ret == Z_DATA_ERROR) return Z_DATA_ERROR;
  return ret < 0 ? ret : Z_DATA_ERROR;
}

void not_ended(const char *what) { std::fprintf(stderr, "%s should report Z_STREAM_END\n", what); }

// Inflates one stream into memory. next(p, n) offers the next input piece
// (n == 0 at the end of input) and returns false on a read error.
template <class Next>
int inflate_to_memory(ZStream &z, Next next, unsigned char *out, std::size_t outlen,
                      std::size_t *produced) {
  unsigned char spare = 0;  // zlib wants an output pointer even for no space
  std::size_t offered = 0;
  bool input_ended = false;
  z.s.next_out = &spare;
  z.s.avail_out = 0;
  for (;;) {
    if (z.s.avail_in == 0 && !input_ended) {
      const unsigned char *p = nullptr;
      std::size_t n = 0;
      if (!next(&p, &n)) {
        *produced = offered - z.s.avail_out;
        return Z_ERRNO;
      }
      if (n == 0) input_ended = true;
      z.s.next_in = const_cast<Bytef *>(p);
      z.s.avail_in = static_cast<uInt>(n);
    }
    if (z.s.avail_out == 0 && offered < outlen) {
      std::size_t n = std::min(CHUNK, outlen - offered);
      z.s.next_out = out + offered;
      z.s.avail_out = static_cast<uInt>(n);
      offered += n;
    }
    int ret = inflate(&z.s, Z_NO_FLUSH);
    *produced = offered - z.s.avail_out;
    if (ret == Z_STREAM_END) return Z_OK;
    if (ret == Z_OK) continue;
    if (ret != Z_BUF_ERROR) return error_of(ret);
    // No progress was possible.
    if (z.s.avail_in == 0 && input_ended) {
      not_ended("inflate");
      return Z_DATA_ERROR;
    }
    if (z.s.avail_out == 0 && offered >= outlen) {
      if (debug_switch) std::printf("output buffer too short\n");
      return Z_ERRNO;
    }
    if (z.s.avail_in != 0) return Z_DATA_ERROR;  // cannot happen; never spin
  }
}

}  // namespace

int cmpr_debug(int debug) {
  int old = debug_switch;
  debug_switch = debug;
  return old;
}

const char *cmpr_errval2string(int errval) {
  switch (errval) {
    case Z_VERSION_ERROR: return "zlib version mismatch!";
    case Z_MEM_ERROR: return "out of memory";
    case Z_DATA_ERROR: return "invalid or incomplete deflate data";
    case Z_STREAM_ERROR: return "invalid compression level";
    case Z_ERRNO: return "error reading or writing data buffer";
    default: return "";
  }
}

const char *cmpr_version() {
  static const std::string text =
      std::string("cmpr : V1.10 Tessmor 2016-01-12 -- zlib : ") + ZLIB_VERSION;
  return text.c_str();
}

int cmpr_deflate(void *out, std::size_t outlen, const void *inp, std::size_t inplen,
                 int cmpr_method, std::size_t *pconverted, int *perrval) {
  static const char *const who = "cmpr_deflate";
  begin(who);
  ZStream z;
  int r = init_deflate(z, cmpr_method, who);
  if (r != Z_OK) return done(who, r, 0, pconverted, perrval);
  const unsigned char *in = static_cast<const unsigned char *>(inp);
  unsigned char *o = static_cast<unsigned char *>(out);
  std::size_t in_offered = 0, out_offered = 0;
  int errval = Z_OK;
  for (;;) {
    if (z.s.avail_in == 0 && in_offered < inplen) {
      std::size_t n = std::min(CHUNK, inplen - in_offered);
      z.s.next_in = const_cast<Bytef *>(in + in_offered);
      z.s.avail_in = static_cast<uInt>(n);
      in_offered += n;
    }
    int flush = in_offered == inplen ? Z_FINISH : Z_NO_FLUSH;
    if (z.s.avail_out == 0) {
      if (out_offered >= outlen) {
        if (debug_switch) std::printf("output buffer too short\n");
        errval = Z_ERRNO;
        break;
      }
      std::size_t n = std::min(CHUNK, outlen - out_offered);
      z.s.next_out = o + out_offered;
      z.s.avail_out = static_cast<uInt>(n);
      out_offered += n;
    }
    int ret = deflate(&z.s, flush);
    if (ret == Z_STREAM_END) break;
    if (ret == Z_OK) continue;
    if (ret == Z_BUF_ERROR && z.s.avail_out == 0) continue;  // more space next round
    not_ended("deflate");
    errval = ret == Z_BUF_ERROR ? Z_DATA_ERROR : error_of(ret);
    break;
  }
  std::size_t produced = out_offered - z.s.avail_out;
  return done(who, errval, produced, pconverted, perrval);
}

int cmpr_inflate(void *out, std::size_t outlen, const void *inp, std::size_t inplen,
                 int cmpr_method, std::size_t *pconverted, int *perrval) {
  static const char *const who = "cmpr_inflate";
  begin(who);
  ZStream z;
  int r = init_inflate(z, cmpr_method, who);
  if (r != Z_OK) return done(who, r, 0, pconverted, perrval);
  const unsigned char *in = static_cast<const unsigned char *>(inp);
  std::size_t in_offered = 0;
  auto next = [&](const unsigned char **p, std::size_t *n) {
    *n = std::min(CHUNK, inplen - in_offered);
    *p = in + in_offered;
    in_offered += *n;
    return true;
  };
  std::size_t produced = 0;
  int errval = inflate_to_memory(z, next, static_cast<unsigned char *>(out), outlen, &produced);
  return done(who, errval, produced, pconverted, perrval);
}

int cmpr_frinflate(void *out, std::size_t outlen, FILE *inp, std::size_t inplen,
                   int cmpr_method, std::size_t *pconverted, int *perrval) {
  static const char *const who = "cmpr_frinflate";
  begin(who);
  if (!inp) return done(who, Z_ERRNO, 0, pconverted, perrval);
  ZStream z;
  int r = init_inflate(z, cmpr_method, who);
  if (r != Z_OK) return done(who, r, 0, pconverted, perrval);
  std::vector<unsigned char> buf(CHUNK);
  std::size_t left = inplen;  // never read past the section
  auto next = [&](const unsigned char **p, std::size_t *n) {
    std::size_t want = std::min(CHUNK, left);
    *n = want ? std::fread(buf.data(), 1, want, inp) : 0;
    *p = buf.data();
    left -= *n;
    return !(*n < want && std::ferror(inp));
  };
  std::size_t produced = 0;
  int errval = inflate_to_memory(z, next, static_cast<unsigned char *>(out), outlen, &produced);
  return done(who, errval, produced, pconverted, perrval);
}

int cmpr_inflatefile(FILE *outp, FILE *inp, int cmpr_method, std::size_t *pconverted,
                     int *perrval) {
  static const char *const who = "cmpr_inflatefile";
  begin(who);
  if (!outp || !inp) return done(who, Z_ERRNO, 0, pconverted, perrval);
  ZStream z;
  int r = init_inflate(z, cmpr_method, who);
  if (r != Z_OK) return done(who, r, 0, pconverted, perrval);
  std::vector<unsigned char> in(CHUNK), out(CHUNK);
  std::size_t produced = 0;
  bool ended = false;  // the last stream read has ended
  auto read_more = [&]() -> int {  // 1 data, 0 end of input, -1 error
    std::size_t n = std::fread(in.data(), 1, CHUNK, inp);
    if (n == 0) return std::ferror(inp) ? -1 : 0;
    z.s.next_in = in.data();
    z.s.avail_in = static_cast<uInt>(n);
    return 1;
  };
  int errval = Z_OK;
  for (;;) {
    if (z.s.avail_in == 0) {
      int m = read_more();
      if (m < 0) { errval = Z_ERRNO; break; }
      if (m == 0) {
        if (!ended) {
          not_ended("inflate");
          errval = Z_DATA_ERROR;
        }
        break;
      }
    }
    if (ended) {
      // More input after a finished stream: the next member.
      if (inflateReset(&z.s) != Z_OK) { errval = Z_STREAM_ERROR; break; }
      ended = false;
    }
    z.s.next_out = out.data();
    z.s.avail_out = static_cast<uInt>(CHUNK);
    int ret = inflate(&z.s, Z_NO_FLUSH);
    std::size_t have = CHUNK - z.s.avail_out;
    if (have && std::fwrite(out.data(), 1, have, outp) != have) { errval = Z_ERRNO; break; }
    produced += have;
    if (ret == Z_STREAM_END) { ended = true; continue; }
    if (ret == Z_OK) continue;
    if (ret == Z_BUF_ERROR && z.s.avail_in == 0) continue;  // wants more input
    errval = error_of(ret);
    break;
  }
  if (errval == Z_OK && std::fflush(outp) != 0) errval = Z_ERRNO;
  return done(who, errval, produced, pconverted, perrval);
}

int cmpr_deflatefile(FILE *outp, FILE *inp, int cmpr_method, std::size_t *pconverted,
                     int *perrval) {
  static const char *const who = "cmpr_deflatefile";
  begin(who);
  if (!outp || !inp) return done(who, Z_ERRNO, 0, pconverted, perrval);
  ZStream z;
  int r = init_deflate(z, cmpr_method, who);
  if (r != Z_OK) return done(who, r, 0, pconverted, perrval);
  std::vector<unsigned char> in(CHUNK), out(CHUNK);
  std::size_t produced = 0;
  int errval = Z_OK;
  int ret = Z_OK;
  int flush = Z_NO_FLUSH;
  do {
    std::size_t n = std::fread(in.data(), 1, CHUNK, inp);
    if (n < CHUNK && std::ferror(inp)) { errval = Z_ERRNO; break; }
    flush = (n < CHUNK || std::feof(inp)) ? Z_FINISH : Z_NO_FLUSH;
    z.s.next_in = in.data();
    z.s.avail_in = static_cast<uInt>(n);
    do {
      z.s.next_out = out.data();
      z.s.avail_out = static_cast<uInt>(CHUNK);
      ret = deflate(&z.s, flush);
      std::size_t have = CHUNK - z.s.avail_out;
      if (have && std::fwrite(out.data(), 1, have, outp) != have) { errval = Z_ERRNO; break; }
      produced += have;
    } while (z.s.avail_out == 0 && ret != Z_STREAM_END);
    if (errval != Z_OK) break;
    if (z.s.avail_in != 0) { errval = Z_ERRNO; break; }  // input left unconsumed
  } while (flush != Z_FINISH);
  if (errval == Z_OK && ret != Z_STREAM_END) {
    not_ended("deflate");
    errval = Z_DATA_ERROR;
  }
  if (errval == Z_OK && std::fflush(outp) != 0) errval = Z_ERRNO;
  return done(who, errval, produced, pconverted, perrval);
}

int cmpr_checkextension(const char *extension) {
  if (!extension) return CMPR_NONE;
  if (strlib_ncasecmp(extension, ".Z", 2) == 0) return CMPR_Z;
  if (strlib_ncasecmp(extension, ".rylgz", 6) == 0 || strlib_ncasecmp(extension, ".gz", 3) == 0)
    return CMPR_GZIP;
  return CMPR_NONE;
}

int cmpr_checkfiletype(const char *filename) {
  char ext[4096];
  if (!filename_extension(ext, sizeof ext, filename)) return CMPR_NONE;
  return cmpr_checkextension(ext);
}

char *cmpr_filename(char *buffer, std::size_t buflen, const char *filename, int cmpr) {
  if (!buffer || buflen == 0 || !filename) return nullptr;
  const char *ext = cmpr == CMPR_GZIP ? ".gz" : cmpr == CMPR_Z ? ".Z" : nullptr;
  if (!ext) return strlib_copy(buffer, buflen, filename);
  std::string name = filename;
  if (cmpr_checkfiletype(filename) != CMPR_NONE) {
    std::vector<char> body(name.size() + 1);
    if (filename_body(body.data(), body.size(), filename)) name = body.data();
  }
  name += ext;
  return strlib_copy(buffer, buflen, name.c_str());
}
