// Stopping the COM/ActiveX checks: nothing examined once Running is false, and no key judged
// empty on the strength of a walk that the stop cut short.
#include <gtest/gtest.h>

#include "unit/ComChecksTest.h"

namespace {

class ComChecksStopTest : public ComChecksTest {
 protected:
  // Problems of every kind, each of which a full check would repair.
  void StageProblems() {
    PutDefault("CLSID\\{C1}\\InprocServer32", "C:\\Gone\\a.dll");
    PutDefault("Prog.1\\DefaultIcon", "C:\\Gone\\a.dll");
    PutKey(kCr, "Interface\\{I1}\\A");
    PutKey(kCr, "TypeLib\\{T1}\\1.0");
  }
};

using Check = void (*)(CleanEngine&);
const std::pair<const char*, Check> kChecks[] = {
    {"CheckCOM", [](CleanEngine& e) { e.CheckCOM(); }},
    {"CheckActiveX", [](CleanEngine& e) { e.CheckActiveX(); }},
    {"CheckInterfaces", [](CleanEngine& e) { e.CheckInterfaces(); }},
    {"CheckTypeLib", [](CleanEngine& e) { e.CheckTypeLib(); }},
};

TEST_F(ComChecksStopTest, AStoppedRunExaminesNothing) {
  StageProblems();
  for (const auto& [name, check] : kChecks) {
    SCOPED_TRACE(name);
    PrepareChecks();
    engine.Running = false;
    host.pumps = 0;
    check(engine);
    EXPECT_EQ(FixScript, Script({}));
    EXPECT_EQ(engine.CategoryCount(kComActiveX), 0);
    EXPECT_EQ(engine.GaugePercent(), 0);
    EXPECT_GT(host.pumps, 0) << "every item still pumps messages";
  }
}

// Each key holds one value, at the far end of a deep chain of empty keys. Whatever pump the
// stop comes at, neither check may take the key for an empty shell.
TEST_F(ComChecksStopTest, AStopDuringADeepWalkDeletesNothing) {
  const std::string deep = "\\L1\\L2\\L3\\L4\\L5\\L6";
  for (const char* list : {"Interface", "TypeLib"}) {
    PutKey(kCr, std::string(list) + "\\{DEEP}\\A\\B");
    PutString(kCr, std::string(list) + "\\{DEEP}" + deep, "v", "1");
  }
  for (const auto& [name, check] : {kChecks[2], kChecks[3]}) {
    // Pumps of a full run: the item's own, then those of the walk.
    PrepareChecks();
    host.pumps = 0;
    host.onPump = nullptr;
    check(engine);
    const int total = host.pumps;
    ASSERT_GT(total, 10) << name;
    ASSERT_EQ(FixScript, Script({})) << name;
    for (int stopAt = 2; stopAt <= total; ++stopAt) {
      SCOPED_TRACE(std::string(name) + " stopped at pump " + std::to_string(stopAt));
      PrepareChecks();
      host.pumps = 0;
      host.onPump = [this, stopAt](int pump) {
        if (pump == stopAt) engine.Running = false;
      };
      check(engine);
      EXPECT_EQ(FixScript, Script({}));
      EXPECT_EQ(engine.CategoryCount(kComActiveX), 0);
    }
    host.onPump = nullptr;
  }
}

}  // namespace
