// kvetral-sim as people run it: its flags (bad ones give the usage and exit 2), its link in the
// virtual-port folder that port enumeration lists as "Kvetral simulator (ttyKV1)", and a clean exit.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <filesystem>

#include "Subprocess.h"
#include "lib/CommandLine.h"
#include "lib/Simulator.h"
#include "link/PortEnumerator.h"

namespace {

namespace fs = std::filesystem;

fs::path TempFolder(const std::string& name) {
  const fs::path folder = fs::temp_directory_path() / (name + "_" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

TEST(SimExecutableTest, BadFlagsAreRefusedWithTheUsageExitCode) {
  const std::vector<std::vector<std::string>> bad = {
      {"--bogus"},           {"--serial"},          {"--serial", "70000"}, {"--serial", "-1"},
      {"--source", "pu239"}, {"--fom", "0.1"},      {"--fom", "abc"},      {"--rate", "-5"},
      {"--speed", "0"},      {"--baud", "0"},       {"--corrupt", "1.5"},  {"--drop", "nan"},
      {"--garbage", "-0.1"}, {"--silent-after", "x"}, {"--close-after", "-2"}, {"--seed", "-1"},
      {"--journal", ""},     {"--link="},           {"extra"},
  };
  for (const auto& args : bad) {
    SCOPED_TRACE(args.front() + (args.size() > 1 ? " " + args[1] : ""));
    kvetral::CommandLine parsed;
    std::string error;
    EXPECT_EQ(kvetral::ParseCommandLine(args, &parsed, &error), kvetral::kExitUsage);
    EXPECT_FALSE(error.empty());
  }
}

TEST(SimExecutableTest, FlagsFillTheOptions) {
  kvetral::CommandLine parsed;
  std::string error;
  ASSERT_EQ(kvetral::ParseCommandLine({"--serial", "00042", "--source=co60", "--fom", "2.5", "--rate", "1e5",
                                       "--speed", "10", "--baud", "921600", "--corrupt", "0.1", "--drop", "0.2",
                                       "--garbage", "0.3", "--silent-after", "5", "--close-after", "9", "--seed",
                                       "18446744073709551615", "--journal", "runs.txt"},
                                      &parsed, &error),
            0)
      << error;
  const auto& o = parsed.options;
  EXPECT_EQ(o.serial, 42);
  EXPECT_EQ(o.source, "co60");
  EXPECT_DOUBLE_EQ(o.fom, 2.5);
  EXPECT_DOUBLE_EQ(o.rate, 1e5);
  EXPECT_DOUBLE_EQ(o.speed, 10);
  EXPECT_EQ(o.baud, 921600u);
  EXPECT_DOUBLE_EQ(o.corrupt, 0.1);
  EXPECT_DOUBLE_EQ(o.drop, 0.2);
  EXPECT_DOUBLE_EQ(o.garbage, 0.3);
  EXPECT_EQ(o.silentAfter, 5);
  EXPECT_EQ(o.closeAfter, 9);
  EXPECT_EQ(o.seed, 18446744073709551615ull);
  EXPECT_EQ(o.journal, "runs.txt");
  EXPECT_EQ(o.link, mirvo::VirtualPortFolder() + "/ttyKV42");  // no leading zeros in the link name

  ASSERT_EQ(kvetral::ParseCommandLine({}, &parsed, &error), 0);
  EXPECT_EQ(parsed.options.link, mirvo::VirtualPortFolder() + "/ttyKV1");
  EXPECT_EQ(parsed.options.source, "mixed");
}

TEST(SimExecutableTest, LinkIsListedAsASimulatedInstrumentAndRemovedOnStop) {
  const fs::path folder = TempFolder("sim_ports");
  mirvo::PortEnumerationRoots roots;
  roots.sysClassTty = (folder / "no-sys").string();
  roots.serialById = (folder / "no-by-id").string();
  roots.virtualPorts = folder.string();

  // A link left by a simulator that died (kill -9) is taken over, also when its pseudo-terminal
  // has since gone to another program and the link's target exists.
  kvetral::SimOptions options;
  options.link = (folder / "ttyKV1").string();
  for (const char* target : {"/dev/pts/does-not-exist", "/dev/null"}) {
    fs::create_symlink(target, folder / "ttyKV1");
    kvetral::Simulator earlier(options);
    std::string error;
    EXPECT_TRUE(earlier.Start(&error)) << target << ": " << error;
    earlier.Stop();
  }
  kvetral::Simulator sim(options);
  std::string error;
  ASSERT_TRUE(sim.Start(&error)) << error;
  EXPECT_EQ(fs::read_symlink(folder / "ttyKV1").string(), sim.DevicePath());
  const auto ports = mirvo::EnumeratePorts(roots);
  ASSERT_EQ(ports.size(), 1u);
  EXPECT_EQ(ports[0].friendlyName, "Kvetral simulator (ttyKV1)");

  // A live link belongs to another simulator: refused, and left alone.
  kvetral::Simulator second(options);
  EXPECT_FALSE(second.Start(&error));
  EXPECT_NE(error.find("in use"), std::string::npos) << error;
  EXPECT_EQ(fs::read_symlink(folder / "ttyKV1").string(), sim.DevicePath());

  sim.Stop();
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "ttyKV1")));
  fs::remove_all(folder);
}

fs::path SimExecutable() {
  return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "kvetral-sim";
}

TEST(SimExecutableTest, ExecutableServesUntilTerminatedAndCleansUp) {
  const fs::path exe = SimExecutable();
  if (!fs::exists(exe)) GTEST_SKIP() << "kvetral-sim not built";
  const auto help = mirvo::test::RunProgram(exe, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: kvetral-sim", 0), 0u) << help.out;
  const auto bad = mirvo::test::RunProgram(exe, {"--fom", "9"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("usage: kvetral-sim"), std::string::npos) << bad.err;

  const fs::path folder = TempFolder("sim_exe");
  const fs::path link = folder / "ttyKV9";
  mirvo::test::Subprocess sim(exe, {"--serial", "9", "--link", link.string()});
  ASSERT_TRUE(sim.Started());
  // The link is in place before the simulator says where it is.
  const auto linkLine = sim.WaitForLine("kvetral-sim: link ");
  ASSERT_TRUE(linkLine) << sim.Out() << sim.Err();
  EXPECT_EQ(*linkLine, "kvetral-sim: link " + link.string());
  EXPECT_TRUE(fs::exists(link));
  sim.Signal(SIGTERM);
  EXPECT_EQ(sim.Wait(), 0) << sim.Err();
  EXPECT_NE(sim.Out().find("kvetral-sim: stopped\n"), std::string::npos) << sim.Out();
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
  fs::remove_all(folder);
}

}  // namespace
