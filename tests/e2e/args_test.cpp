// The batch program's command line: no argument runs, --help and --version
// answer, anything else is refused with a usage line and status 2 before any
// file is touched.
#include <string>

#include <gtest/gtest.h>

#include "e2e/run.hpp"

namespace qubic::test {
namespace {

const std::string exe = QUBIC_EXE;
const std::string usage = "usage: qubic [--help | --version]\n";

TEST(BatchArgs, HelpAndVersionAnswerWithoutRunning) {
  run_result r = run(exe, {"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "qubic " QUBIC_VERSION "\n");
  EXPECT_EQ(r.err, "");

  r = run(exe, {"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind(usage, 0), 0u) << r.out;
  EXPECT_EQ(r.err, "");
}

TEST(BatchArgs, AnyOtherArgumentIsRefused) {
  const struct {
    const char* why;
    std::initializer_list<std::string_view> args;
    const char* named;  // the argument the message names
  } cases[] = {
      {"a file name", {"test6"}, "test6"},
      {"an unknown option", {"--csv"}, "--csv"},
      {"a short option", {"-h"}, "-h"},
      {"an empty argument", {""}, ""},
      {"a second argument after --help", {"--help", "extra"}, "extra"},
      {"a second argument after --version", {"--version", "--version"}, "--version"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    const run_result r = run(exe, c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "qubic: unexpected argument '" + std::string(c.named) + "'\n" + usage);
  }
}

TEST(BatchArgs, NoArgumentStillRuns) {
  // The run needs test6: in an empty folder it reports the missing file
  // (status 1, as any failed run), not a usage error.
  const run_result r = run(exe, {});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.find("usage"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("test6"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace qubic::test
