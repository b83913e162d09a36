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
      {{"status", "ttyKV1", "--baud"}, "mirvo-cli status: --baud needs a value"},
      {{"status", "ttyKV1", "--baud", "0"}, "mirvo-cli status: --baud: bad baud rate '0'"},
      {{"status", "ttyKV1", "--baud", "9600x"}, "mirvo-cli status: --baud: bad baud rate '9600x'"},
      {{"status", "ttyKV1", "--baud", "4000001"}, "mirvo-cli status: --baud: bad baud rate '4000001'"},

      {{"poll"}, "Usage: mirvo-cli poll PORT [--seconds S] [--baud B]"},
      {{"poll", "ttyKV1", "extra"}, "Usage: mirvo-cli poll PORT"},
      {{"poll", "ttyKV1", "--seconds", "0"}, "Usage: mirvo-cli poll PORT"},
      {{"poll", "ttyKV1", "--seconds", "-2"}, "Usage: mirvo-cli poll PORT"},
      {{"poll", "ttyKV1", "--seconds", "2s"}, "Usage: mirvo-cli poll PORT"},
      {{"poll", "ttyKV1", "--seconds"}, "mirvo-cli poll: --seconds needs a value"},
      {{"poll", "ttyKV1", "--baud", "fast"}, "mirvo-cli poll: --baud: bad baud rate 'fast'"},

      {{"ntp"}, "Usage: mirvo-cli ntp SERVER [--sync] [--port N]"},
      {{"ntp", "--sync"}, "Usage: mirvo-cli ntp SERVER"},
      {{"ntp", "-x"}, "Usage: mirvo-cli ntp SERVER"},
      {{"ntp", "pool.ntp.org", "second.example"}, "Usage: mirvo-cli ntp SERVER"},
      {{"ntp", "pool.ntp.org", "--port", "0"}, "mirvo-cli ntp: --port: needs a whole number from 1 to 65535, not '0'"},
      {{"ntp", "pool.ntp.org", "--port", "65536"}, "--port: needs a whole number from 1 to 65535, not '65536'"},
      {{"ntp", "pool.ntp.org", "--port", "ntp"}, "--port: needs a whole number from 1 to 65535, not 'ntp'"},
      {{"ntp", "pool.ntp.org", "--port"}, "mirvo-cli ntp: --port needs a value"},

      {{"find", "ttyKV1"}, "Usage: mirvo-cli find [--log]"},
      {{"find", "--log", "--verbose"}, "Usage: mirvo-cli find [--log]"},

      {{"acquire"}, "mirvo-cli acquire: PORT is required"},
      {{"acquire", "ttyKV1", "-o", "OUT"}, "mirvo-cli acquire: --preset is required"},
      {{"acquire", "ttyKV1", "--preset", "5"}, "Usage: mirvo-cli acquire PORT --preset SECONDS"},
      {{"acquire", "--preset", "5", "-o", "OUT"}, "Usage: mirvo-cli acquire PORT"},
      {{"acquire", "ttyKV1", "ttyKV2", "--preset", "5", "-o", "OUT"}, "Usage: mirvo-cli acquire PORT"},
      {{"acquire", "ttyKV1", "--preset", "0", "-o", "OUT"},
       "mirvo-cli acquire: --preset: the preset must be a whole number of seconds from 1 to 21474836"},
      {{"acquire", "ttyKV1", "--preset", "1.5", "-o", "OUT"}, "the preset must be a whole number of seconds"},
      {{"acquire", "ttyKV1", "--preset", "21474837", "-o", "OUT"}, "the preset must be a whole number of seconds"},
      {{"acquire", "ttyKV1", "--preset", "-3", "-o", "OUT"}, "the preset must be a whole number of seconds"},
      {{"acquire", "ttyKV1", "--preset"}, "mirvo-cli acquire: --preset needs a value"},
      {{"acquire", "ttyKV1", "--preset", "5", "-o"}, "mirvo-cli acquire: -o needs a value"},
      {{"acquire", "ttyKV1", "--preset", "5", "--stamp", "gmt", "-o", "OUT"},
       "mirvo-cli acquire: --stamp: must be system, utc or local, not 'gmt'"},
      {{"acquire", "ttyKV1", "--preset", "5", "--baud", "0", "-o", "OUT"}, "mirvo-cli acquire: --baud: bad baud rate '0'"},

      {{"log"}, "mirvo-cli log: PORT is required"},
      {{"log", "ttyKV1", "--preset", "1", "--folder", "DIR", "--base", "run"}, "Usage: mirvo-cli log PORT --runs N"},
      {{"log", "ttyKV1", "--runs", "2", "--preset", "1", "--base", "run"}, "Usage: mirvo-cli log PORT"},
      {{"log", "ttyKV1", "--runs", "2", "--preset", "1", "--folder", "DIR"}, "Usage: mirvo-cli log PORT"},
      {{"log", "--runs", "2", "--preset", "1", "--folder", "DIR", "--base", "run"}, "Usage: mirvo-cli log PORT"},
      {{"log", "ttyKV1", "--runs", "0", "--preset", "1", "--folder", "DIR", "--base", "run"}, "Usage: mirvo-cli log"},
      {{"log", "ttyKV1", "--runs", "2x", "--preset", "1", "--folder", "DIR", "--base", "run"}, "Usage: mirvo-cli log"},
      {{"log", "ttyKV1", "--runs", "100000", "--preset", "1", "--folder", "DIR", "--base", "run"},
       "Usage: mirvo-cli log"},
      {{"log", "ttyKV1", "--runs", "2", "--folder", "DIR", "--base", "run"}, "mirvo-cli log: --preset is required"},
      {{"log", "ttyKV1", "--runs", "2", "--preset", "0", "--folder", "DIR", "--base", "run"},
       "the preset must be a whole number of seconds"},
      {{"log", "ttyKV1", "--runs", "2", "--preset", "1", "--folder", "DIR", "--base", "run", "--stamp", "x"},
       "mirvo-cli log: --stamp: must be system, utc or local"},
      {{"log", "ttyKV1", "--runs"}, "mirvo-cli log: --runs needs a value"},

      {{"info"}, "mirvo-cli info: FILE is required\nUsage: mirvo-cli info FILE\n"},
      {{"info", "a.mps", "b.mps"}, "mirvo-cli info: unexpected argument 'b.mps'"},

      {{"export", "a.mps", "-o", "OUT"}, "Usage: mirvo-cli export FILE [--format csv|n42|spe] [--spectrum K] [--soft] -o OUT"},
      {{"export", "a.mps", "--format", "spe", "-o", "OUT"}, "Usage: mirvo-cli export"},
      {{"export", "a.mps", "--format", "xml", "--spectrum", "1", "-o", "OUT"}, "Usage: mirvo-cli export"},
      {{"export", "a.mps", "--format", "n42", "--soft", "-o", "OUT"}, "Usage: mirvo-cli export"},
      {{"export", "a.mps", "--format", "n42", "--spectrum", "4", "-o", "OUT"}, "Usage: mirvo-cli export"},
      {{"export", "a.mps", "--format"}, "mirvo-cli export: --format needs a value"},
      {{"export", "a.mps", "--spectrum", "4", "-o", "OUT"}, "Usage: mirvo-cli export"},
      {{"export", "a.mps", "--spectrum", "-1", "-o", "OUT"}, "Usage: mirvo-cli export"},
      {{"export", "a.mps", "--spectrum", "S1", "-o", "OUT"}, "Usage: mirvo-cli export"},
      {{"export", "a.mps", "--spectrum", "1"}, "Usage: mirvo-cli export"},
      {{"export", "--spectrum", "1", "-o", "OUT"}, "Usage: mirvo-cli export"},
      {{"export", "a.mps", "b.mps", "--spectrum", "1", "-o", "OUT"}, "Usage: mirvo-cli export"},
      {{"export", "a.mps", "--spectrum"}, "mirvo-cli export: --spectrum needs a value"},

      {{"analyse", "a.mps"}, "Usage: mirvo-cli analyse FILE.mps --spectrum K [--soft N] [--roi FIRST:LAST]... [--fom]"},
      {{"analyse", "a.mps", "--spectrum", "5"}, "Usage: mirvo-cli analyse"},
      {{"analyse", "--spectrum", "1"}, "Usage: mirvo-cli analyse"},
      {{"analyse", "a.mps", "--spectrum", "1", "--roi", "100"}, "mirvo-cli analyse: --roi: bad ROI '100'"},
      {{"analyse", "a.mps", "--spectrum", "1", "--roi", "a:b"}, "mirvo-cli analyse: --roi: bad ROI 'a:b'"},
      {{"analyse", "a.mps", "--spectrum", "1", "--roi", "1:2", "--roi", "3-4"}, "mirvo-cli analyse: --roi: bad ROI '3-4'"},
      {{"analyse", "a.mps", "--spectrum", "1", "--roi"}, "mirvo-cli analyse: --roi needs a value"},
      {{"analyse", "a.mps", "--spectrum", "1", "--soft"}, "mirvo-cli analyse: --soft needs a value"},

      {{"report"}, "Usage: mirvo-cli report FILE.mps... --spectrum K --roi FIRST:LAST [--fom] [-o OUT.csv]"},
      {{"report", "a.mps", "--spectrum", "1", "-o", "OUT"}, "Usage: mirvo-cli report"},
      {{"report", "a.mps", "--roi", "1:2", "-o", "OUT"}, "Usage: mirvo-cli report"},
      {{"report", "--spectrum", "1", "--roi", "1:2", "-o", "OUT"}, "Usage: mirvo-cli report"},
      {{"report", "a.mps", "--spectrum", "1", "--roi", "2", "-o", "OUT"}, "Usage: mirvo-cli report"},
      {{"report", "a.mps", "--spectrum", "9", "--roi", "1:2", "-o", "OUT"}, "Usage: mirvo-cli report"},
      {{"report", "a.mps", "--spectrum", "1", "--roi", "1:2", "-o"}, "mirvo-cli report: -o needs a value"},
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

// Every option a command's --help names is in its line of the program's --help.
TEST_F(CliUsageTest, TheProgramsHelpListsEveryOptionOfEachCommand) {
  const std::string help = Cli({"--help"}).out;
  const auto lineOf = [&help](const std::string& command) {
    const std::size_t start = help.find("\n  " + command + " ");
    return start == std::string::npos ? std::string() : help.substr(start + 1, help.find('\n', start + 1) - start - 1);
  };
  for (const char* command : {"acquire", "analyse", "config", "export", "find", "fpga", "info", "log", "ntp", "poll",
                              "ports", "regs", "report", "status", "trace"}) {
    SCOPED_TRACE(command);
    const std::string line = lineOf(command);
    ASSERT_FALSE(line.empty());
    const RunResult own = Cli({command, "--help"});
    ASSERT_EQ(own.status, 0);
    const std::string options = own.out.substr(own.out.find("\nOptions:"));
    for (const std::string& word : OutputLines(options)) {
      // "  --preset SECONDS REQUIRED  the preset ..." names --preset.
      const std::size_t dash = word.find_first_not_of(' ');
      if (dash == std::string::npos || word[dash] != '-' || word.compare(dash, 9, "-h,--help") == 0) continue;
      const std::string name = word.substr(dash, word.find(' ', dash) - dash);
      bool named = false;  // " --live]" or " [--baud B]", not "--live-time"
      for (std::size_t at = line.find(name); at != std::string::npos && !named; at = line.find(name, at + 1)) {
        const char after = at + name.size() < line.size() ? line[at + name.size()] : ' ';
        named = (line[at - 1] == ' ' || line[at - 1] == '[') && (after == ' ' || after == ']');
      }
      EXPECT_TRUE(named) << name << " missing from: " << line;
    }
  }
}

struct ArgumentCase {
  std::vector<std::string> args;
  int status;
  std::string message;  // a part of stderr or, for status 0, of stdout
};

TEST_F(CliUsageTest, ArgumentsGiveTheirExitStatusAndMessage) {
  // FILE stands for a spectrum file acquired from the simulator (4096 soft channels), OUT for a file
  // in the scratch folder that no refused command may create. The simulator's port is not ttyKV1.
  kvetral::SimOptions options;
  options.serial = 77;
  StartSimulator(options);
  const std::string file = Scratch("spectra.mps");
  ASSERT_NO_FATAL_FAILURE(Acquire(file));
  const std::vector<std::string> log = {"log", "ttyKV1", "--runs", "2", "--preset", "1", "--folder", "DIR",
                                        "--base", "run"};
  const auto logWith = [&log](std::vector<std::string> more) {
    more.insert(more.begin(), log.begin(), log.end());
    return more;
  };
  const std::vector<ArgumentCase> cases = {
      // --help and -h on every command: exit 0, the command's options on stdout (also when its
      // required arguments are missing).
      {{"acquire", "--help"}, 0, "--preset SECONDS"},
      {{"acquire", "-h"}, 0, "--stamp system|utc|local"},
      {{"analyse", "--help"}, 0, "--roi FIRST:LAST"},
      {{"config", "--help"}, 0, "--set NAME=VALUE"},
      {{"export", "--help"}, 0, "--format csv|n42|spe"},
      {{"find", "--help"}, 0, "--log"},
      {{"fpga", "--help"}, 0, "upload|verify|configure"},
      {{"info", "--help"}, 0, "Usage: mirvo-cli info [OPTIONS] FILE"},
      {{"log", "--help"}, 0, "--n42 beside|instead"},
      {{"ntp", "--help"}, 0, "--port N"},
      {{"poll", "--help"}, 0, "--seconds S"},
      {{"ports", "--help"}, 0, "Usage: mirvo-cli ports"},
      {{"regs", "--help"}, 0, "--write REG=VALUE"},
      {{"report", "--help"}, 0, "-o OUT.csv"},
      {{"status", "--help"}, 0, "--baud B"},
      {{"trace", "--help"}, 0, "--average 1|2|4|8|16"},

      // Unknown options are named as such, never taken for a file or a port.
      {{"info", "--frobnicate", "FILE"}, 1, "mirvo-cli info: unknown option --frobnicate\nUsage: mirvo-cli info FILE\n"},
      {{"info", "--frobnicate"}, 1, "mirvo-cli info: unknown option --frobnicate"},
      {{"status", "ttyKV1", "-x"}, 1, "mirvo-cli status: unknown option -x"},
      {{"analyse", "FILE", "--spectrum", "1", "--roi", "1:2", "--frob=3"}, 1, "unknown option --frob=3"},
      {{"ports", "--all"}, 1, "mirvo-cli ports: unknown option --all"},

      // An option given twice is refused, unless it may be repeated.
      {{"acquire", "ttyKV1", "--preset", "5", "--preset", "6", "-o", "OUT"}, 1, "--preset is given more than once"},
      {logWith({"--live", "--live"}), 1, "mirvo-cli log: --live is given more than once"},
      {{"report", "FILE", "--spectrum", "1", "--spectrum", "2", "--roi", "1:2"}, 1, "--spectrum is given more than once"},
      {{"export", "FILE", "--spectrum", "1", "-o", "OUT", "-o", "OUT"}, 1, "-o is given more than once"},
      {{"analyse", "FILE", "--spectrum", "1", "--roi", "10:20", "--roi", "30:40"}, 0, "\nroi 30:40 integral="},

      // Missing values, bad numbers, values out of range, bad choices.
      {{"trace", "ttyKV1", "-o"}, 1, "mirvo-cli trace: -o needs a value"},
      {{"poll", "ttyKV1", "--baud", "9600", "--seconds"}, 1, "mirvo-cli poll: --seconds needs a value"},
      {{"poll", "ttyKV1", "--seconds", "--baud", "9600"}, 1, "--seconds: needs a number of seconds above 0 and at most 315360000, not '--baud'"},
      {logWith({"--runs", "two"}), 1, "--runs: needs a whole number from 1 to 99999, not 'two'"},
      {logWith({"--runs", "100000"}), 1, "--runs: needs a whole number from 1 to 99999, not '100000'"},
      {{"ntp", "pool.ntp.org", "--port", "12a"}, 1, "--port: needs a whole number from 1 to 65535, not '12a'"},
      {{"ntp", "pool.ntp.org", "--port", ""}, 1, "--port: needs a whole number from 1 to 65535, not ''"},
      {{"status", "ttyKV1", "--baud", "12345"}, 1, "--baud: a serial port cannot be set to 12345 baud; it can be set to:"},
      {{"regs", "ttyKV1", "--write", "0x80=1"}, 1, "--write: register 0x80 is out of range (0x00 to 0x7F)"},
      {{"regs", "ttyKV1", "--write", "2=65536"}, 1, "value 65536 for register 0x02 is out of range"},
      {{"export", "FILE", "--format", "xml", "--spectrum", "1", "-o", "OUT"}, 1, "--format: must be csv, n42 or spe, not 'xml'"},
      {logWith({"--n42", "both"}), 1, "--n42: must be beside or instead, not 'both'"},
      {{"fpga", "ttyKV1", "erase"}, 1, "must be upload, verify or configure, not 'erase'"},
      {{"fpga", "ttyKV1", "upload"}, 1, "mirvo-cli fpga: upload needs the design FILE"},
      {{"trace", "ttyKV1", "--signal", "TRIANGLE", "-o", "OUT"}, 1, "mirvo-cli trace: --signal: "},
      {{"regs", "ttyKV1", "--load", "a.rgv", "--write", "1=2"}, 1, "mirvo-cli regs: --load and --write do not go together"},

      // ROIs lie in the soft spectrum of the file: FIRST <= LAST, channels from 0 to soft size - 1.
      {{"analyse", "FILE", "--spectrum", "1", "--roi", "0:99999999"}, 1,
       "mirvo-cli analyse: ROI 0:99999999 is outside the soft spectrum of FILE (channels 0 to 4095)"},
      {{"analyse", "FILE", "--spectrum", "1", "--roi", "10:20", "--roi", "0:4096"}, 1, "ROI 0:4096 is outside"},
      {{"analyse", "FILE", "--spectrum", "1", "--soft", "1024", "--roi", "0:1024"}, 1, "(channels 0 to 1023)"},
      {{"analyse", "FILE", "--spectrum", "1", "--soft", "1024", "--roi", "0:1023"}, 0, "roi 0:1023 integral="},
      {{"analyse", "FILE", "--spectrum", "1", "--roi", "500:100"}, 1, "--roi: bad ROI '500:100'"},
      {{"analyse", "FILE", "--spectrum", "1", "--roi", "-5:10"}, 1, "--roi: bad ROI '-5:10'"},
      {{"report", "FILE", "--spectrum", "1", "--roi", "-1:-1"}, 1, "--roi: bad ROI '-1:-1'"},

      // A poll is finite: at most ten years.
      {{"poll", "ttyKV1", "--seconds", "inf"}, 1, "--seconds: needs a number of seconds above 0 and at most 315360000, not 'inf'"},
      {{"poll", "ttyKV1", "--seconds", "1e20"}, 1, "not '1e20'"},
      {{"poll", "ttyKV1", "--seconds", "nan"}, 1, "not 'nan'"},
      {{"poll", "ttyKV1", "--seconds", "-1"}, 1, "not '-1'"},
      {{"poll", "ttyKV1", "--seconds", "315360001"}, 1, "not '315360001'"},

      // analyse with nothing to compute.
      {{"analyse", "FILE", "--spectrum", "1"}, 1, "mirvo-cli analyse: nothing to compute: give --roi FIRST:LAST or --fom"},
  };
  for (const ArgumentCase& c : cases) {
    std::vector<std::string> args = c.args;
    std::string message = c.message;
    std::string shown;
    for (auto& a : args) {
      if (a == "OUT") a = Scratch("out.file");
      if (a == "DIR") a = Scratch("");
      if (a == "FILE") a = file;
      shown += " " + a;
    }
    if (const auto at = message.find("FILE ("); at != std::string::npos) message.replace(at, 4, file);
    SCOPED_TRACE("mirvo-cli" + shown);
    const RunResult run = Cli(args);
    EXPECT_EQ(run.status, c.status);
    if (c.status == 0) {
      EXPECT_NE(run.out.find(message), std::string::npos) << run.out;
      EXPECT_TRUE(run.err.empty()) << run.err;
    } else {
      EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
      EXPECT_TRUE(run.out.empty()) << run.out;
    }
    EXPECT_EQ(ScratchEntries(), std::vector<std::string>{"spectra.mps"});
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
  EXPECT_EQ(report.out, "File,Start,Real Time [s],Live Time [s],Integral,Area,Centroid,FWHM,Resolution [%],Warning\n");
  EXPECT_EQ(report.err, "mirvo-cli report: " + missing + ": Unable to Open File\n");
}

}  // namespace
}  // namespace mirvo::test
