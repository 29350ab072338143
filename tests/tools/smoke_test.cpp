// The tool's own command line: help, and a subcommand it does not know.
#include <gtest/gtest.h>

#include "orv_version.h"
#include "tests/tools/run_tool.h"

using orv::test::RunTool;

TEST(Orvtool, HelpListsEverySubcommandAndAnUnknownOneFails) {
    const auto help = RunTool({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* sub : {"report", "calc", "diff", "rec2csv", "lint"}) EXPECT_NE(help.out.find(sub), std::string::npos) << sub;
#ifdef ORVTOOL_LINE_COMMANDS
    for (const char* sub : {"upload", "download", "monitor"}) EXPECT_NE(help.out.find(sub), std::string::npos) << sub;
#endif
    const auto bad = RunTool({"frobnicate"});
    EXPECT_NE(bad.status, 0);
    EXPECT_TRUE(bad.out.empty());
}

TEST(Orvtool, VersionIsTheProjectsOwn) {
    const auto v = RunTool({"--version"});
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.out, std::string("orvtool ") + orv::kVersion + "\n");
}
