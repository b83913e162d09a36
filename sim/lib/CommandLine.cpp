#include "lib/CommandLine.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

#include "lib/EventGenerator.h"
#include "lib/Sources.h"
#include "link/PortEnumerator.h"

namespace kvetral {
namespace {

bool ParseInteger(const std::string& text, long long low, long long high, long long* value) {
  long long v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < low || v > high) return false;
  *value = v;
  return true;
}

bool ParseUnsigned64(const std::string& text, std::uint64_t* value) {
  std::uint64_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return false;
  *value = v;
  return true;
}

bool ParseReal(const std::string& text, double low, double high, double* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(v) || v < low || v > high) return false;
  *value = v;
  return true;
}

}  // namespace

std::string LinkName(unsigned serial) { return "ttyKV" + std::to_string(serial); }

std::string UsageText() {
  return "usage: kvetral-sim [options]\n"
         "Simulates a Kvetral spectrometer on a pseudo-terminal and links it into the virtual-port folder\n"
         "as ttyKV<serial>, where Mirvo-PSD finds it as \"Kvetral simulator (ttyKV<serial>)\". Ends on Ctrl+C.\n"
         "  --serial N        serial number, 0..65535 (default 1)\n"
         "  --source S        cs137 | co60 | ambe | mixed | background, or several joined by '+', e.g.\n"
         "                    cs137+background (default mixed); in a combination the background takes 5 %\n"
         "                    of the events and the other sources share the rest equally; the background\n"
         "                    alone runs at 150 events/s unless --rate is given\n"
         "  --fom F           gamma/neutron figure of merit, 0.5..5 (default 1.5)\n"
         "  --rate R          events per second reaching the detector, 0..10000000 (default 2000)\n"
         "  --speed X         instrument seconds per real second, 0.001..10000 (default 1)\n"
         "  --drift P         gain change in percent per degree C as the instrument warms from 27 C towards\n"
         "                    39 C over its first minutes, -5..5, e.g. -0.3 (default 0: no drift); the gain\n"
         "                    stabilizer (registers 0x40..0x43) holds a peak in place against it\n"
         "  --baud N          hold replies to N/10 bytes per second, e.g. 921600 (default unlimited)\n"
         "  --corrupt P       probability 0..1 that a reply carries a wrong checksum\n"
         "  --drop P          probability 0..1 that a request gets no reply\n"
         "  --garbage P       probability 0..1 of extra bytes after a reply\n"
         "  --silent-after N  stop answering after N requests\n"
         "  --close-after N   close the line after N requests (the instrument is unplugged)\n"
         "  --seed S          seed for repeatable runs (default 1)\n"
         "  --journal FILE    append one line per finished or reset run\n"
         "  --traffic FILE    at the end, write every valid request received, one hex line each\n"
         "  --link PATH       put the link at PATH instead of the virtual-port folder\n"
         "  --help            this text\n";
}

int ParseCommandLine(const std::vector<std::string>& args, CommandLine* out, std::string* error) {
  CommandLine result;
  SimOptions& o = result.options;
  bool linkGiven = false;
  bool rateGiven = false;
  long long integer = 0;
  using Setter = std::function<bool(const std::string&)>;
  const std::map<std::string, Setter> flags = {
      {"--serial", [&](const std::string& v) { return ParseInteger(v, 0, 65535, &integer) && (o.serial = static_cast<std::uint16_t>(integer), true); }},
      {"--source", [&](const std::string& v) { Source s; return ParseSource(v, &s) && (o.source = v, true); }},
      {"--fom", [&](const std::string& v) { return ParseReal(v, 0.5, 5.0, &o.fom); }},
      {"--rate", [&](const std::string& v) { return ParseReal(v, 0.0, 1e7, &o.rate) && (rateGiven = true); }},
      {"--speed", [&](const std::string& v) { return ParseReal(v, 0.001, 1e4, &o.speed); }},
      {"--drift", [&](const std::string& v) { return ParseReal(v, -5.0, 5.0, &o.drift); }},
      {"--baud", [&](const std::string& v) { return ParseInteger(v, 1, 100000000, &integer) && (o.baud = static_cast<unsigned>(integer), true); }},
      {"--corrupt", [&](const std::string& v) { return ParseReal(v, 0.0, 1.0, &o.corrupt); }},
      {"--drop", [&](const std::string& v) { return ParseReal(v, 0.0, 1.0, &o.drop); }},
      {"--garbage", [&](const std::string& v) { return ParseReal(v, 0.0, 1.0, &o.garbage); }},
      {"--silent-after", [&](const std::string& v) { return ParseInteger(v, 0, 1LL << 40, &integer) && (o.silentAfter = static_cast<long>(integer), true); }},
      {"--close-after", [&](const std::string& v) { return ParseInteger(v, 0, 1LL << 40, &integer) && (o.closeAfter = static_cast<long>(integer), true); }},
      {"--seed", [&](const std::string& v) { return ParseUnsigned64(v, &o.seed); }},
      {"--journal", [&](const std::string& v) { return !v.empty() && (o.journal = v, true); }},
      {"--traffic", [&](const std::string& v) { return !v.empty() && (result.traffic = v, true); }},
      {"--link", [&](const std::string& v) { return !v.empty() && (o.link = v, linkGiven = true); }},
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string flag = args[i], value;
    bool hasValue = false;
    if (flag == "--help" || flag == "-h") {
      result.help = true;
      continue;
    }
    if (const auto eq = flag.find('='); flag.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = flag.substr(eq + 1);
      flag.resize(eq);
      hasValue = true;
    }
    const auto it = flags.find(flag);
    if (it == flags.end()) {
      *error = "unknown option '" + args[i] + "'";
      return kExitUsage;
    }
    if (!hasValue) {
      if (i + 1 >= args.size()) {
        *error = "option " + flag + " needs a value";
        return kExitUsage;
      }
      value = args[++i];
    }
    if (!it->second(value)) {
      *error = "bad value '" + value + "' for " + flag;
      return kExitUsage;
    }
  }
  if (Source source; !rateGiven && ParseSource(o.source, &source) && source == Source::Background) {
    o.rate = kBackgroundAloneRate;  // a room background is a low rate
  }
  if (!linkGiven) o.link = mirvo::VirtualPortFolder() + "/" + LinkName(o.serial);
  *out = std::move(result);
  return 0;
}

}  // namespace kvetral
