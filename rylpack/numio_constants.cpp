// The table of named constants and units with their decimal prefixes.
#include <cstring>
#include <new>
#include <string_view>

#include "rylpack/numio_internal.h"

namespace {

struct Prefix {
  const char *text;
  double factor;   // the prefix's factor
  double factor2;  // its square, as a decimal literal
  double factor3;  // its cube, as a decimal literal
};

// In order of insertion; there is no deca prefix.
const Prefix kPrefixes[] = {
    {"Y", 1e24, 1e48, 1e72},  {"Z", 1e21, 1e42, 1e63},   {"E", 1e18, 1e36, 1e54},
    {"P", 1e15, 1e30, 1e45},  {"T", 1e12, 1e24, 1e36},   {"G", 1e9, 1e18, 1e27},
    {"M", 1e6, 1e12, 1e18},   {"k", 1e3, 1e6, 1e9},      {"h", 1e2, 1e4, 1e6},
    {"", 1.0, 1.0, 1.0},      {"d", 1e-1, 1e-2, 1e-3},   {"c", 1e-2, 1e-4, 1e-6},
    {"m", 1e-3, 1e-6, 1e-9},  {"u", 1e-6, 1e-12, 1e-18}, {"n", 1e-9, 1e-18, 1e-27},
    {"p", 1e-12, 1e-24, 1e-36}, {"f", 1e-15, 1e-30, 1e-45}, {"a", 1e-18, 1e-36, 1e-54},
    {"z", 1e-21, 1e-42, 1e-63}, {"y", 1e-24, 1e-48, 1e-72},
};

constexpr std::size_t kMaxBaseUnit = 64;

// power 1, 2 or 3: keys prefix+Baseunit(+"2"/"3"), values Basevalue^power
// times the prefix factor to that power.
int insert_prefixed(const char *Quantity, const char *Unit, const char *Baseunit,
                    double Basevalue, int power) {
  if (!Baseunit) return -1;
  const std::size_t limit = power == 1 ? kMaxBaseUnit : kMaxBaseUnit - 1;
  if (std::strlen(Baseunit) > limit) return -1;
  double base = Basevalue;
  if (power >= 2) base = base * Basevalue;
  if (power >= 3) base = base * Basevalue;
  const char *suffix = power == 2 ? "2" : power == 3 ? "3" : "";
  for (const Prefix &p : kPrefixes) {
    const double factor = power == 2 ? p.factor2 : power == 3 ? p.factor3 : p.factor;
    std::string key = std::string(p.text) + Baseunit + suffix;
    if (dpconstant_insert(Quantity, Unit, key.c_str(), base * factor, nullptr) != 0) return -1;
  }
  return 0;
}

struct Single {
  const char *quantity;
  const char *unit;  // null: none
  const char *key;
  double value;
};

// A step of the table: a unit with prefixes (power 1 to 3) or, power 0, a
// run of keys entered one by one.
struct Step {
  int power;
  const char *quantity;
  const char *unit;
  const char *base;
  double value;
};

constexpr double kLb = 0.45359237;

const Single kMathematical[] = {
    {"infinity", nullptr, "inf", 1.7976931348623157e308},
    {"gamma number", nullptr, "gamma", 0.5772156649015329},
    {"pi number", nullptr, "pi", 3.141592653589793},
    {"Euler number", nullptr, "e", 2.718281828459045},
    {"angle", "rad", "rad", 1.0},
    {"angle", "rad", "mrad", 0.001},
    {"angle", "rad", "urad", 1e-6},
    {"angle", "rad", "deg", 0.017453292519943295},
    {"angle", "rad", "mdeg", 1.7453292519943296e-5},
    {"angle", "rad", "udeg", 1.7453292519943295e-8},
    {"angle", "rad", "gon", 0.015707963267948967},
    {"angle", "rad", "mgon", 1.5707963267948967e-5},
    {"angle", "rad", "ugon", 1.5707963267948965e-8},
    {"angle", "rad", "arcmin", 0.0002908882086657216},
    {"angle", "rad", "arcsec", 4.84813681109536e-6},
    {"spherical angle", "sr", "sr", 1.0},
    {"Boltzmann constant", "J/K", "k", 1.3806505e-23},
    {"electron rest mass", "kg", "me", 9.1093826e-31},
    {"proton rest mass", "kg", "mp", 1.67262171e-27},
    {"deuteron rest mass", "kg", "md", 3.34358335e-27},
    {"neutron rest mass", "kg", "mn", 1.67492728e-27},
    {"Avogadro number", "1/mol", "NA", 6.0221415e23},
    {"classical electron radius", "m", "re", 2.817940325e-15},
    {"velocity of light", "m/s", "c", 299792458.0},
    {"electron charge", "C", "ec", 1.60217653e-19},
    {"Planck constant", "J*s", "h", 6.6260693e-34},
    {"gravitational constant", "m3/kg/s2", "gN", 6.6742e-11},
    {"gravitational acceleration", "m/s2", "ga", 9.80665},
    {"permeability of vacuum", "H/m", "u0", 1.2566370614359173e-6},
    {"permittivity of vacuum", "F/m", "e0", 8.854187817620389e-12},
};

const Single kTimes[] = {
    {"time", "s", "min", 60.0},
    {"time", "s", "hr", 3600.0},
    {"time", "s", "d", 86400.0},
};

const Single kLengths[] = {
    {"length", "m", "in", 0.0254},    {"length", "m", "ft", 0.3048},
    {"length", "m", "yd", 0.9144},    {"length", "m", "mile", 1609.344},
    {"length", "m", "sm", 1852.0},    {"length", "m", "nmi", 1852.0},
    {"length", "m", "NM", 1852.0},    {"length", "m", "Ao", 1e-10},
    {"speed", "m/s", "kn", 0.5144444444444445},
};

const Single kAreas[] = {
    {"area", "m2", "b", 1e-28},
    {"area", "m2", "a", 100.0},
    {"area", "m2", "ha", 10000.0},
};

const Single kMasses[] = {
    {"mass", "kg", "lb", kLb},
    {"mass", "kg", "oz", 0.0283495},
    {"mass", "kg", "amu", 1.66053886e-27},
};

const Single kEnergiesAndTemperatures[] = {
    {"energy", "J", "erg", 1e-7},
    {"temperature", "K", "K", 1.0},
    {"temperature", "K", "mK", 0.001},
    {"temperature", "K", "uK", 1e-6},
    {"temperature", "K", "degK", 1.0},
    {"temperature", "K", "degC", 1.0},
    {"temperature", "K", "degF", 0.5555555555555556},
};

const Single kForces[] = {
    {"force", "N", "p", 0.00980665},
    {"force", "N", "lbf", 4.4482216152605},
    {"force", "N", "pdl", 0.138255},
    {"force", "N", "dyn", 1e-5},
};

const Single kPressures[] = {
    {"physical atmospheric pressure", "Pa", "atm", 101325.0},
    {"technical atmospheric pressure", "Pa", "at", 98066.5},
    {"pressure", "Pa", "psi", 6894.757293168361},
    {"pressure", "Pa", "Torr", 133.3224},
};

// Byte units: both the long and the short key of each row.
struct ByteRow {
  const char *quantity;
  const char *longkey;
  const char *shortkey;
  double value;
};

const ByteRow kBytes[] = {
    {"Byte (digital information)", "Byte", "B", 1.0},
    {"KiloByte (digital information)", "kByte", "kB", 1e3},
    {"MegaByte (digital information)", "MByte", "MB", 1e6},
    {"GigaByte (digital information)", "GByte", "GB", 1e9},
    {"TeraByte (digital information)", "TByte", "TB", 1e12},
    {"PetaByte (digital information)", "PByte", "PB", 1e15},
    {"ExaByte (digital information)", "EByte", "EB", 1e18},
    {"ZettaByte (digital information)", "ZByte", "ZB", 1e21},
    {"YottaByte (digital information)", "YByte", "YB", 1e24},
    {"KibiByte (digital information)", "KiByte", "KiB", 1024.0},
    {"MebiByte (digital information)", "MiByte", "MiB", 1048576.0},
    {"GibiByte (digital information)", "GiByte", "GiB", 1073741824.0},
    {"TebiByte (digital information)", "TiByte", "TiB", 1099511627776.0},
    {"PebiByte (digital information)", "PiByte", "PiB", 1125899906842624.0},
    {"ExbiByte (digital information)", "EiByte", "EiB", 1152921504606846976.0},
    {"ZebiByte (digital information)", "ZiByte", "ZiB", 1180591620717411303424.0},
    {"YobiByte (digital information)", "YiByte", "YiB", 1208925819614629174706176.0},
};

template <std::size_t N>
int insert_singles(const Single (&list)[N]) {
  for (const Single &c : list)
    if (dpconstant_insert(c.quantity, c.unit, c.key, c.value, nullptr) != 0) return -1;
  return 0;
}

int insert_all() {
  if (insert_singles(kMathematical)) return -1;
  const Step electric[] = {
      {1, "electric charge", "C", "C", 1.0},        {1, "voltage", "V", "V", 1.0},
      {1, "electric capacity", "F", "F", 1.0},      {1, "electric resistance", "Ohm", "Ohm", 1.0},
      {1, "electric conductivity", "S", "S", 1.0},  {1, "magnetic induction", "T", "T", 1.0},
      {1, "magnetic induction", "T", "G", 1e-4},    {1, "magnetic flux", "Wb", "Wb", 1.0},
      {1, "magnetic inductivity", "H", "H", 1.0},   {1, "electric current", "A", "A", 1.0},
      {1, "time", "s", "s", 1.0},
  };
  for (const Step &u : electric)
    if (insert_prefixed(u.quantity, u.unit, u.base, u.value, u.power)) return -1;
  if (insert_singles(kTimes)) return -1;
  if (insert_prefixed("time^2", "s2", "s", 1.0, 2)) return -1;
  if (insert_prefixed("frequency", "1/s", "Hz", 1.0, 1)) return -1;
  if (insert_prefixed("length", "m", "m", 1.0, 1)) return -1;
  if (insert_singles(kLengths)) return -1;
  if (insert_prefixed("area", "m2", "m", 1.0, 2)) return -1;
  if (insert_singles(kAreas)) return -1;
  if (insert_prefixed("volume", "m3", "m", 1.0, 3)) return -1;
  if (insert_prefixed("volume", "m3", "l", 0.001, 1)) return -1;
  if (insert_prefixed("mass", "kg", "g", 0.001, 1)) return -1;
  if (insert_singles(kMasses)) return -1;
  if (insert_prefixed("molecular amount", "mol", "mol", 1.0, 1)) return -1;
  if (insert_prefixed("energy", "J", "J", 1.0, 1)) return -1;
  if (insert_prefixed("energy", "J", "eV", 1.60217653e-19, 1)) return -1;
  if (insert_prefixed("energy", "J", "cal", 4.1868, 1)) return -1;
  if (insert_singles(kEnergiesAndTemperatures)) return -1;
  if (insert_prefixed("power", "W", "W", 1.0, 1)) return -1;
  if (insert_prefixed("force", "N", "N", 1.0, 1)) return -1;
  if (insert_singles(kForces)) return -1;
  if (insert_prefixed("pressure", "Pa", "Pa", 1.0, 1)) return -1;
  if (insert_prefixed("pressure", "Pa", "bar", 1e5, 1)) return -1;
  if (insert_singles(kPressures)) return -1;
  for (const ByteRow &b : kBytes) {
    if (dpconstant_insert(b.quantity, "Byte", b.longkey, b.value, nullptr)) return -1;
    if (dpconstant_insert(b.quantity, "Byte", b.shortkey, b.value, nullptr)) return -1;
  }
  return 0;
}

void print_found(const DPConstant &c) {
  const bool u = !c.Unit.empty(), q = !c.Quantity.empty();
  if (u && q) std::printf("  %s = %.15g %s (%s)\n", c.Key.c_str(), c.Value, c.Unit.c_str(), c.Quantity.c_str());
  else if (u) std::printf("  %s = %.15g %s\n", c.Key.c_str(), c.Value, c.Unit.c_str());
  else if (q) std::printf("  %s = %.15g (%s)\n", c.Key.c_str(), c.Value, c.Quantity.c_str());
  else std::printf("  %s = %.15g\n", c.Key.c_str(), c.Value);
}

}  // namespace

int dpconstant_insert(const char *Quantity, const char *Unit, const char *Key, double Value,
                      const DPConstant **pdpconstant) {
  // An empty key would begin every text; it is refused.
  if (!Key || !*Key) return -1;
  try {
    DPConstantTable &table = numio_constant_table();
    auto it = table.find(Key);
    if (it == table.end()) {
      DPConstant c;
      c.Key = Key;
      if (numio_debug_level() > 0) {
        if (Quantity) c.Quantity = Quantity;
        if (Unit) c.Unit = Unit;
      }
      it = table.emplace(c.Key, std::move(c)).first;
    }
    it->second.Value = Value;
    if (pdpconstant) *pdpconstant = &it->second;
  } catch (const std::bad_alloc &) {
    return -1;
  }
  return 0;
}

int dpconstant_insert_unit(const char *Quantity, const char *Unit, const char *Baseunit,
                           double Basevalue) {
  return insert_prefixed(Quantity, Unit, Baseunit, Basevalue, 1);
}
int dpconstant_insert_unit2(const char *Quantity, const char *Unit, const char *Baseunit,
                            double Basevalue) {
  return insert_prefixed(Quantity, Unit, Baseunit, Basevalue, 2);
}
int dpconstant_insert_unit3(const char *Quantity, const char *Unit, const char *Baseunit,
                            double Basevalue) {
  return insert_prefixed(Quantity, Unit, Baseunit, Basevalue, 3);
}

int dpconstant_init() {
  if (insert_all() != 0) return -1;
  numio_set_constant_table_complete(true);
  if (numio_debug_level() > 1) dpconstant_print(stdout, 1, 0);
  return 0;
}

int dpconstant_search(const char *Key, const DPConstant **pdpconstant, int mode) {
  if (!Key) return -1;
  if (!numio_constant_table_complete()) dpconstant_init();
  const DPConstantTable &table = numio_constant_table();
  const DPConstant *found = nullptr;
  if (mode == 0) {
    auto it = table.find(Key);
    if (it != table.end()) found = &it->second;
  } else {
    // The longest key that begins the text. The greatest key not above the
    // text either begins it or shares a shorter common start with it, and
    // the key sought begins that common start; so search again with it.
    std::string_view text(Key);
    while (!text.empty()) {
      auto it = table.lower_bound(text);
      if (it == table.end()) break;
      const std::string &k = it->first;
      if (text.substr(0, k.size()) == k) {
        found = &it->second;
        break;
      }
      std::size_t common = 0;
      while (common < k.size() && common < text.size() && k[common] == text[common]) ++common;
      text = text.substr(0, common);
    }
  }
  if (!found) return -1;
  if (numio_debug_level() > 0) print_found(*found);
  if (pdpconstant) *pdpconstant = found;
  return 0;
}

void dpconstant_print(FILE *out, int level, int verbose) {
  if (!out || level <= 0) return;
  const DPConstantTable &table = numio_constant_table();
  const char *sep = "   -       -       -       -       -       -       -       -";
  for (auto it = table.begin(); it != table.end(); ++it) {
    const DPConstant &c = it->second;
    const bool u = !c.Unit.empty(), q = !c.Quantity.empty();
    if (!verbose) {
      if (u && q) std::fprintf(out, "   '%s' = %g %s (%s)\n", c.Key.c_str(), c.Value, c.Unit.c_str(), c.Quantity.c_str());
      else if (u) std::fprintf(out, "   '%s' = %g %s\n", c.Key.c_str(), c.Value, c.Unit.c_str());
      else if (q) std::fprintf(out, "   '%s' = %g (%s)\n", c.Key.c_str(), c.Value, c.Quantity.c_str());
      else std::fprintf(out, "   '%s' = %g\n", c.Key.c_str(), c.Value);
      continue;
    }
    std::fprintf(out, "%s\n", sep);
    std::fprintf(out, "   Key               = %s\n", c.Key.c_str());
    std::fprintf(out, "   Value             = %g\n", c.Value);
    if (q) std::fprintf(out, "   Quantity       = %s\n", c.Quantity.c_str());
    if (u) std::fprintf(out, "   Unit           = %s\n", c.Unit.c_str());
    if (it != table.begin()) std::fprintf(out, "   Previous          = %s\n", std::prev(it)->first.c_str());
    else std::fprintf(out, "   Previous          = (no previous dpconstant)\n");
    if (std::next(it) != table.end()) std::fprintf(out, "   Next              = %s\n", std::next(it)->first.c_str());
    else std::fprintf(out, "   Next              = (no next dpconstant)\n");
  }
  if (verbose && !table.empty()) std::fprintf(out, "%s\n", sep);
}

void dpconstant_free() {
  numio_constant_table().clear();
  numio_set_constant_table_complete(false);
}

std::vector<std::string> dpconstant_keys() {
  std::vector<std::string> keys;
  for (const auto &entry : numio_constant_table()) keys.push_back(entry.first);
  return keys;
}
