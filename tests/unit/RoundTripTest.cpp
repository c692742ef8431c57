// Randomized round trips: generated registries with awkward names, every value type and random
// problems of every category are scanned (which changes nothing and finds what the clean then
// repairs) and cleaned, the run's undo file is imported through the registry editor, and the
// whole registry must equal the state before, type and bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <sstream>

#include "unit/SafetyMachine.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kDefaultSeeds = 150;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr int kDefaultSeeds = 150;
#else
constexpr int kDefaultSeeds = 2000;
#endif
#else
constexpr int kDefaultSeeds = 2000;
#endif

int SeedCount() {
  const char* text = std::getenv("KLARVEX_ROUNDTRIP_SEEDS");
  return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : kDefaultSeeds;
}

class Generator {
 public:
  explicit Generator(uint32_t seed) : rng_(seed) {}

  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  bool Chance(int percent) { return Below(100) < percent; }

  // A name of awkward characters; key names never hold a backslash. Wide: may hold characters
  // that Windows-1252 cannot (U+0100, U+4E2D), which only the wide staging can place.
  std::u16string Name(bool forKey) {
    static const std::u16string kPool =
        u"abcXYZ019 .\"[]=@{}-_,;%'!\u00e9\u00fc\u00df\u20ac\u0100\u4e2d\\";
    std::u16string name;
    const int length = 1 + Below(10);
    for (int i = 0; i < length; ++i) {
      char16_t c = kPool[static_cast<size_t>(Below(static_cast<int>(kPool.size())))];
      if (forKey && c == u'\\') c = u'_';
      name += c;
    }
    return name;
  }
  // A name the code page holds, for the entries a check must see.
  std::string AnsiName(bool forKey) {
    std::u16string wide = Name(forKey);
    std::string name;
    for (char16_t c : wide) {
      if (c == u'\u0100' || c == u'\u4e2d') c = u'~';
      name += c == u'\u20ac' ? '\x80' : static_cast<char>(c);
    }
    return name;
  }

  // Data of a random type: strings with and without their NUL, empty data, DWORDs of four
  // bytes (and a malformed one), binary, multi-strings, REG_NONE and an odd type number.
  std::pair<uint32_t, Bytes> Value() {
    static const uint32_t kTypes[] = {regtype::kSz,     regtype::kExpandSz, regtype::kDword,
                                      regtype::kBinary, regtype::kMultiSz,  regtype::kNone,
                                      0x1234,           regtype::kSz};
    const uint32_t type = kTypes[Below(8)];
    Bytes data;
    const int length = Chance(15) ? 0 : Below(12);
    for (int i = 0; i < length; ++i) data.push_back(static_cast<uint8_t>(Below(256)));
    if (type == regtype::kDword && Chance(90)) data.resize(4);
    // Strings stay well-formed: the system's editor exports a string without its NUL as a quoted
    // text, which comes back with one (byte-exact restores hold for well-formed values only).
    if (type == regtype::kSz || type == regtype::kExpandSz) {
      data.clear();
      for (char c : AnsiName(false)) data.push_back(static_cast<uint8_t>(c));
      data.push_back(0);
    }
    if (type == regtype::kMultiSz) {
      if (Chance(50)) data = {'a', 0, 'b', '"', '\\', 0, 0};
      data.push_back(0);  // text data end in a NUL, as for strings
    }
    return {type, data};
  }

 private:
  std::mt19937 rng_;
};

std::u16string Wide(const std::string& ansi) {
  std::u16string wide;
  for (char c : ansi)
    wide += c == '\x80' ? u'\u20ac' : static_cast<char16_t>(static_cast<uint8_t>(c));
  return wide;
}

class RoundTrip : public SafetyMachine {
 public:
  explicit RoundTrip(uint32_t seed) : g(seed) {}

  // Random keys and values below a key. Outside the problems' keys some names are out of the
  // code page's reach: the checks cannot see them, and the simulated editor, which exports
  // through the single-byte calls, could not back them up as the system's Unicode editor does.
  void Noise(RootKey root, const std::string& path, int depth, bool wide = false) {
    const int values = g.Below(4);
    for (int i = 0; i < values; ++i) {
      auto [type, data] = g.Value();
      sim.registry.StageValueWide(root, Wide(path),
                                  wide && g.Chance(20) ? g.Name(false) : Wide(g.AnsiName(false)),
                                  type, data);
    }
    if (depth > 0 && g.Chance(50)) Noise(root, path + "\\" + g.AnsiName(true), depth - 1, wide);
    if (wide && g.Chance(15)) sim.registry.StageKeyWide(root, Wide(path) + u"\\" + g.Name(true));
  }

  void StageRandomMachine() {
    const RootKey cr = RootKey::ClassesRoot, cu = RootKey::CurrentUser, lm = RootKey::LocalMachine;
    // Half the machines are 64-bit Windows, with the 32-bit copies of the redirected keys.
    const bool wow64 = g.Chance(50);
    const std::string wow = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\";
    if (wow64) {
      StageWow64Machine();
      // A 32-bit program that is there, first in its key: a restored value goes to the end.
      PutString(lm, wow + "Run", "Kvx32Kept", "%ProgramFiles%\\Vendor\\app32.exe");
    }
    const std::string appPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    const std::string help = "SOFTWARE\\Microsoft\\Windows\\";
    const int problems = 1 + g.Below(8);
    for (int i = 0; i < problems; ++i) {
      const std::string n = g.AnsiName(true);
      // Without a variable or a slash, a gone file's name is judged: a value that stays would
      // come before a restored one in its key.
      std::string f = n;
      std::replace_if(
          f.begin(), f.end(), [](char c) { return c == '%' || c == '/'; }, '_');
      int pick = g.Below(19);
      if (!wow64 && pick > 10 && pick < 15) pick = 10;
      switch (pick) {
        case 0: {  // an orphan extension, machine-wide or the user's
          const std::string key =
              (g.Chance(70) ? "SOFTWARE\\Classes\\." : "Software\\Classes\\.") + n;
          PutString(g.Chance(70) ? lm : cu, key, "", "kvx." + n + ".missing");
          break;
        }
        case 1:
          PutString(cr, "CLSID\\{" + n + "}\\InprocServer32", "", "C:\\Gone\\" + n + ".dll");
          Noise(cr, "CLSID\\{" + n + "}", 1);
          break;
        case 2:
          PutString(cr, "Kvx." + n + "\\CLSID", "", "{NOPE}");
          break;
        case 3:
          PutString(cr, "Kvx." + n + "\\shell\\open\\command", "", "C:\\Gone\\" + n + ".exe %1");
          break;
        case 4:
          PutKey(cr, "Interface\\{" + n + "}\\sub");
          break;
        case 5:
          PutKey(cr, "TypeLib\\{" + n + "}\\1.0\\0\\win32");
          break;
        case 6: {
          const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
          const std::string command = "C:\\Gone\\" + n + ".exe";
          PutString(g.Chance(50) ? cu : lm, run, g.AnsiName(false), command,
                    g.Chance(30) ? regtype::kExpandSz : regtype::kSz);
          break;
        }
        case 7: {
          const std::string entry = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + n;
          PutString(lm, entry, "DisplayName", g.AnsiName(false));
          Noise(lm, entry, 1);
          break;
        }
        case 8:
          PutString(cu, "Software\\Microsoft\\Internet Explorer\\TypedURLs", g.AnsiName(false),
                    "http://" + n);
          break;
        case 9:
          PutString(cu, "Software\\Kvx " + n + "\\Files", g.AnsiName(false),
                    "C:\\Gone\\" + n + ".txt", g.Chance(30) ? regtype::kExpandSz : regtype::kSz);
          break;
        case 11:
          PutString(cr, "Wow6432Node\\CLSID\\{" + n + "}\\InprocServer32", "",
                    g.Chance(50) ? "%SystemRoot%\\System32\\" + n + ".dll"
                                 : "C:\\WINDOWS\\System32\\wow32only.dll");
          Noise(cr, "Wow6432Node\\CLSID\\{" + n + "}", 1);
          break;
        case 12:
          PutKey(cr, "Wow6432Node\\Interface\\{" + n + "}\\sub");
          break;
        case 13:
          PutString(
              lm, wow + "Run", g.AnsiName(false),
              g.Chance(50) ? "C:\\Gone\\" + n + ".exe" : "%SystemRoot%\\System32\\" + n + ".exe");
          break;
        case 14: {
          const std::string entry = wow + "Uninstall\\" + n;
          PutString(lm, entry, "DisplayName", g.AnsiName(false));
          Noise(lm, entry, 1);
          break;
        }
        case 15: {  // an application path of either view or the user's, with a value of its own
          const RootKey root = g.Chance(70) ? lm : cu;
          const bool of32Bit = root == lm && wow64 && g.Chance(30);
          const std::string key = (of32Bit ? wow + "App Paths\\" : appPaths) + n + ".exe";
          PutString(root, key, "", "\"C:\\Gone\\" + n + ".exe\" /x");
          Noise(root, key, 1);
          break;
        }
        case 16:
          PutString(g.Chance(70) ? lm : cu,
                    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", g.AnsiName(false),
                    g.Chance(50) ? f + ".ttf" : "C:\\Gone\\" + f + ".ttf");
          break;
        case 17:
          PutString(lm,
                    (wow64 && g.Chance(30) ? "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\" : help) +
                        (g.Chance(50) ? "Help" : "HTML Help"),
                    f + ".chm", "C:\\Gone\\");
          break;
        case 18:
          PutString(
              cu,
              "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache",
              "C:\\Gone\\" + f + ".exe" +
                  (g.Chance(50) ? ".FriendlyAppName" : ".ApplicationCompany"),
              g.AnsiName(false));
          break;
        default:  // sound look-alikes
          PutString(cu, "Software\\Kvx " + n, g.AnsiName(false), "C:\\WINDOWS\\win.ini");
          PutString(lm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", n,
                    "rundll32.exe C:\\Gone\\x.dll,Start");
          PutDword(lm, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kvx" + n,
                   "NoRemove", 1);
          break;
      }
    }
    Noise(cu, "Software\\Kvx noise", 2, true);
    Noise(lm, "SOFTWARE\\Kvx noise", 2, true);
  }

  Generator g;
};

TEST(RoundTripTest, CleanThenUndoGivesBackTheWholeRegistry) {
  const int seeds = SeedCount();
  int repairs = 0;
  int violations = 0;
  for (int seed = 1; seed <= seeds; ++seed) {
    RoundTrip m(static_cast<uint32_t>(seed));
    m.Start();
    m.StageRandomMachine();
    const std::string before = m.sim.registry.Dump(RootKey::LocalMachine, "") +
                               m.sim.registry.Dump(RootKey::CurrentUser, "");
    // The scan before the clean must change nothing and find what the clean then repairs.
    m.ScanThenCleanAgree("seed " + std::to_string(seed));
    int total = 0;
    for (int k = 1; k <= kCategoryCount; ++k) total += m.engine.CategoryCount(k);
    repairs += total;
    // A key whose name holds a double quote cannot be named on the editor's command line, so it
    // has no backup and stays; the user is told, and nothing else may go wrong.
    ASSERT_LE(m.host.informations.size(), 1u) << "seed " << seed;
    if (!m.host.informations.empty()) {
      const std::string& told = m.host.informations.front();
      EXPECT_NE(told.find(" left in place:\n"), std::string::npos)
          << "seed " << seed << ": " << told;
      EXPECT_EQ(told.find("\n\n"), std::string::npos) << "seed " << seed << ": " << told;
      std::istringstream lines(told);
      for (std::string line; std::getline(lines, line);) {
        if (line.rfind("HKEY_", 0) != 0) continue;
        EXPECT_NE(line.find('"'), std::string::npos) << line;
      }
    }
    // Through the registry editor, as the undo page applies it.
    for (const std::string& file : m.UndoFiles()) RunRegedit(" /s \"" + file + "\"");
    const std::string after = m.sim.registry.Dump(RootKey::LocalMachine, "") +
                              m.sim.registry.Dump(RootKey::CurrentUser, "");
    if (after != before) {
      ++violations;
      ADD_FAILURE() << "seed " << seed << " (" << total
                    << " repairs): registry differs\n--- before\n"
                    << before << "--- after\n"
                    << after;
    }
    m.Stop();
    if (violations > 3) break;
  }
  std::cout << "[ seeds    ] " << seeds << " seeds, " << repairs << " repairs undone\n";
}

}  // namespace
