// mirvo-cli's arguments: the help and version, and for every command the wrong arguments it refuses
// with a message on stderr and the usage exit status 1, before it opens a port or touches a file.
#include <gtest/gtest.h>

#include "CliRig.h"

namespace mirvo::test {
namespace {

using CliUsageTest = CliTest;

TEST_F(CliUsageTest, HelpListsEveryCommandAndVersionNamesTheRelease) {
  const RunResult help = Cli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.err.empty()) << help.err;
  EXPECT_EQ(help.out.rfind("Usage: mirvo-cli COMMAND [ARGUMENTS]\n", 0), 0u) << help.out;
  for (const char* command :
       {"acquire", "analyse", "export", "find", "info", "log", "ntp", "poll", "ports", "report", "status"}) {
    SCOPED_TRACE(command);
    EXPECT_NE(help.out.find(std::string("\n  ") + command + " "), std::string::npos);
  }
  EXPECT_NE(help.out.find("Exit status: 0 success, 1 wrong usage, 2 the command failed, 3 done but an input file was damaged."), std::string::npos);
  EXPECT_EQ(Cli({"-h"}).out, help.out);
  EXPECT_EQ(Cli({"help"}).out, help.out);

  const RunResult version = Cli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "mirvo-cli 2.50\n");
}

struct UsageCase {
  std::vector<std::string> args;
  std::string message;  // a part of what stderr says
};

TEST_F(CliUsageTest, WrongArgumentsGiveAMessageAndExitStatusOne) {
  // "OUT" stands for a file in the scratch folder: a refused command must not create it.
  const std::vector<UsageCase> cases = {
      {{}, "Usage: mirvo-cli COMMAND [ARGUMENTS]"},
      {{"bogus"}, "mirvo-cli: unknown command 'bogus' (see mirvo-cli --help)"},
      {{"--bogus"}, "mirvo-cli: unknown command '--bogus'"},

      {{"ports", "extra"}, "mirvo-cli ports: unexpected argument 'extra'"},

      {{"status"}, "Usage: mirvo-cli status PORT [--baud B]"},
      {{"status", "ttyKV1", "ttyKV2"}, "Usage: mirvo-cli status PORT [--baud B]"},
      {{"status", "ttyKV1", "--baud"}, "mirvo-cli: --baud needs a value"},
      {{"status", "ttyKV1", "--baud", "0"}, "mirvo-cli: bad baud rate '0'"},
      {{"status", "ttyKV1", "--baud", "9600x"}, "mirvo-cli: bad baud rate '9600x'"},
      {{"status", "ttyKV1", "--baud", "4000001"}, "mirvo-cli: bad baud rate '4000001'"},

      {{"poll"}, "Usage: mirvo-cli poll PORT [--seconds S] [--baud B]"},
      {{"poll", "ttyKV1", "extra"}, "Usage: mirvo-cli poll PORT"},
      {{"poll", "ttyKV1", "--seconds", "0"}, "Usage: mirvo-cli poll PORT"},
      {{"poll", "ttyKV1", "--seconds", "-2"}, "Usage: mirvo-cli poll PORT"},
      {{"poll", "ttyKV1", "--seconds", "2s"}, "Usage: mirvo-cli poll PORT"},
      {{"poll", "ttyKV1", "--seconds"}, "mirvo-cli: --seconds needs a value"},
      {{"poll", "ttyKV1", "--baud", "fast"}, "mirvo-cli: bad baud rate 'fast'"},

      {{"ntp"}, "usage: mirvo-cli ntp SERVER [--sync] [--port N]"},
      {{"ntp", "--sync"}, "usage: mirvo-cli ntp SERVER"},
      {{"ntp", "-x"}, "usage: mirvo-cli ntp SERVER"},
      {{"ntp", "pool.ntp.org", "second.example"}, "usage: mirvo-cli ntp SERVER"},
      {{"ntp", "pool.ntp.org", "--port", "0"}, "mirvo-cli ntp: --port needs a number from 1 to 65535, not '0'"},
      {{"ntp", "pool.ntp.org", "--port", "65536"}, "--port needs a number from 1 to 65535, not '65536'"},
      {{"ntp", "pool.ntp.org", "--port", "ntp"}, "--port needs a number from 1 to 65535, not 'ntp'"},
      {{"ntp", "pool.ntp.org", "--port"}, "mirvo-cli: --port needs a value"},

      {{"find", "ttyKV1"}, "Usage: mirvo-cli find [--log]"},
      {{"find", "--log", "--verbose"}, "Usage: mirvo-cli find [--log]"},

      {{"acquire"}, "mirvo-cli: --preset SECONDS is required"},
      {{"acquire", "ttyKV1", "-o", "OUT"}, "mirvo-cli: --preset SECONDS is required"},
      {{"acquire", "ttyKV1", "--preset", "5"}, "Usage: mirvo-cli acquire PORT --preset SECONDS"},
      {{"acquire", "--preset", "5", "-o", "OUT"}, "Usage: mirvo-cli acquire PORT"},
      {{"acquire", "ttyKV1", "ttyKV2", "--preset", "5", "-o", "OUT"}, "Usage: mirvo-cli acquire PORT"},
      {{"acquire", "ttyKV1", "--preset", "0", "-o", "OUT"},
       "mirvo-cli: the preset must be a whole number of seconds from 1 to 21474836"},
      {{"acquire", "ttyKV1", "--preset", "1.5", "-o", "OUT"}, "the preset must be a whole number of seconds"},
      {{"acquire", "ttyKV1", "--preset", "21474837", "-o", "OUT"}, "the preset must be a whole number of seconds"},
      {{"acquire", "ttyKV1", "--preset", "-3", "-o", "OUT"}, "the preset must be a whole number of seconds"},
      {{"acquire", "ttyKV1", "--preset"}, "mirvo-cli: --preset needs a value"},
      {{"acquire", "ttyKV1", "--preset", "5", "-o"}, "mirvo-cli: -o needs a value"},
      {{"acquire", "ttyKV1", "--preset", "5", "--stamp", "gmt", "-o", "OUT"},
       "mirvo-cli: --stamp must be system, utc or local"},
      {{"acquire", "ttyKV1", "--preset", "5", "--baud", "0", "-o", "OUT"}, "mirvo-cli: bad baud rate '0'"},

      {{"log"}, "mirvo-cli: --preset SECONDS is required"},
      {{"log", "ttyKV1", "--preset", "1", "--folder", "DIR", "--base", "run"}, "Usage: mirvo-cli log PORT --runs N"},
      {{"log", "ttyKV1", "--runs", "2", "--preset", "1", "--base", "run"}, "Usage: mirvo-cli log PORT"},
      {{"log", "ttyKV1", "--runs", "2", "--preset", "1", "--folder", "DIR"}, "Usage: mirvo-cli log PORT"},
      {{"log", "--runs", "2", "--preset", "1", "--folder", "DIR", "--base", "run"}, "Usage: mirvo-cli log PORT"},
      {{"log", "ttyKV1", "--runs", "0", "--preset", "1", "--folder", "DIR", "--base", "run"}, "Usage: mirvo-cli log"},
      {{"log", "ttyKV1", "--runs", "2x", "--preset", "1", "--folder", "DIR", "--base", "run"}, "Usage: mirvo-cli log"},
      {{"log", "ttyKV1", "--runs", "100000", "--preset", "1", "--folder", "DIR", "--base", "run"},
       "Usage: mirvo-cli log"},
      {{"log", "ttyKV1", "--runs", "2", "--folder", "DIR", "--base", "run"}, "mirvo-cli: --preset SECONDS is required"},
      {{"log", "ttyKV1", "--runs", "2", "--preset", "0", "--folder", "DIR", "--base", "run"},
       "the preset must be a whole number of seconds"},
      {{"log", "ttyKV1", "--runs", "2", "--preset", "1", "--folder", "DIR", "--base", "run", "--stamp", "x"},
       "mirvo-cli: --stamp must be system, utc or local"},
      {{"log", "ttyKV1", "--runs"}, "mirvo-cli: --runs needs a value"},

      {{"info"}, "usage: mirvo-cli info FILE  (.mps, .n42 or .spe)"},
      {{"info", "a.mps", "b.mps"}, "usage: mirvo-cli info FILE"},

      {{"export", "a.mps", "-o", "OUT"}, "usage: mirvo-cli export FILE [--format csv|n42|spe] [--spectrum K] [--soft] -o OUT"},
      {{"export", "a.mps", "--format", "spe", "-o", "OUT"}, "usage: mirvo-cli export"},
      {{"export", "a.mps", "--format", "xml", "--spectrum", "1", "-o", "OUT"}, "usage: mirvo-cli export"},
      {{"export", "a.mps", "--format", "n42", "--soft", "-o", "OUT"}, "usage: mirvo-cli export"},
      {{"export", "a.mps", "--format", "n42", "--spectrum", "4", "-o", "OUT"}, "usage: mirvo-cli export"},
      {{"export", "a.mps", "--format"}, "mirvo-cli: --format needs a value"},
      {{"export", "a.mps", "--spectrum", "4", "-o", "OUT"}, "usage: mirvo-cli export"},
      {{"export", "a.mps", "--spectrum", "-1", "-o", "OUT"}, "usage: mirvo-cli export"},
      {{"export", "a.mps", "--spectrum", "S1", "-o", "OUT"}, "usage: mirvo-cli export"},
      {{"export", "a.mps", "--spectrum", "1"}, "usage: mirvo-cli export"},
      {{"export", "--spectrum", "1", "-o", "OUT"}, "usage: mirvo-cli export"},
      {{"export", "a.mps", "b.mps", "--spectrum", "1", "-o", "OUT"}, "usage: mirvo-cli export"},
      {{"export", "a.mps", "--spectrum"}, "mirvo-cli: --spectrum needs a value"},

      {{"analyse", "a.mps"}, "usage: mirvo-cli analyse FILE.mps --spectrum K [--soft N] [--roi FIRST:LAST]... [--fom]"},
      {{"analyse", "a.mps", "--spectrum", "5"}, "usage: mirvo-cli analyse"},
      {{"analyse", "--spectrum", "1"}, "usage: mirvo-cli analyse"},
      {{"analyse", "a.mps", "--spectrum", "1", "--roi", "100"}, "mirvo-cli analyse: bad ROI '100'"},
      {{"analyse", "a.mps", "--spectrum", "1", "--roi", "a:b"}, "mirvo-cli analyse: bad ROI 'a:b'"},
      {{"analyse", "a.mps", "--spectrum", "1", "--roi", "1:2", "--roi", "3-4"}, "mirvo-cli analyse: bad ROI '3-4'"},
      {{"analyse", "a.mps", "--spectrum", "1", "--roi"}, "mirvo-cli: --roi needs a value"},
      {{"analyse", "a.mps", "--spectrum", "1", "--soft"}, "mirvo-cli: --soft needs a value"},

      {{"report"}, "usage: mirvo-cli report FILE.mps... --spectrum K --roi FIRST:LAST [--fom] [-o OUT.csv]"},
      {{"report", "a.mps", "--spectrum", "1", "-o", "OUT"}, "usage: mirvo-cli report"},
      {{"report", "a.mps", "--roi", "1:2", "-o", "OUT"}, "usage: mirvo-cli report"},
      {{"report", "--spectrum", "1", "--roi", "1:2", "-o", "OUT"}, "usage: mirvo-cli report"},
      {{"report", "a.mps", "--spectrum", "1", "--roi", "2", "-o", "OUT"}, "usage: mirvo-cli report"},
      {{"report", "a.mps", "--spectrum", "9", "--roi", "1:2", "-o", "OUT"}, "usage: mirvo-cli report"},
      {{"report", "a.mps", "--spectrum", "1", "--roi", "1:2", "-o"}, "mirvo-cli: -o needs a value"},
  };
  for (const UsageCase& c : cases) {
    std::vector<std::string> args = c.args;
    std::string shown;
    for (auto& a : args) {
      if (a == "OUT") a = Scratch("out.file");
      if (a == "DIR") a = Scratch("");
      shown += " " + a;
    }
    SCOPED_TRACE("mirvo-cli" + shown);
    const RunResult run = Cli(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_TRUE(ScratchEntries().empty());
  }
}

TEST_F(CliUsageTest, AFileThatCannotBeOpenedGivesExitStatusTwo) {
  const std::string missing = Scratch("missing.mps");
  const std::vector<std::vector<std::string>> commands = {
      {"info", missing},
      {"export", missing, "--spectrum", "1", "-o", Scratch("out.csv")},
      {"analyse", missing, "--spectrum", "1", "--roi", "1:2"},
  };
  for (const auto& args : commands) {
    SCOPED_TRACE(args.front());
    const RunResult run = Cli(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "mirvo-cli " + args.front() + ": " + missing + ": Unable to Open File\n");
    EXPECT_TRUE(ScratchEntries().empty());
  }
  // The report still has its header; the file that cannot be opened has no row.
  const RunResult report = Cli({"report", missing, "--spectrum", "1", "--roi", "1:2"});
  EXPECT_EQ(report.status, 2);
  EXPECT_EQ(report.out.rfind("File,Start,Real Time [s],Live Time [s],Integral,Area,Centroid,FWHM,Resolution [%],Warning,", 0), 0u);
  EXPECT_EQ(report.out.find('\n'), report.out.size() - 1);
  EXPECT_EQ(report.err, "mirvo-cli report: " + missing + ": Unable to Open File\n");
}

}  // namespace
}  // namespace mirvo::test
