// orv-console's command line: the port mappings it takes and the mistakes
// it turns away, each with a message and status 2.
#include <gtest/gtest.h>

#include "app/command_line.h"

namespace orv::app::test {
namespace {

CommandLine Parse(QStringList args, bool toolkit_args_left = false) {
    args.prepend("orv-console");
    return ParseCommandLine(args, toolkit_args_left);
}

TEST(CommandLine, PortMappingsAreTakenAsGiven) {
    const CommandLine line = Parse({"--port", "1=/dev/ttyUSB0", "--port=7=/dev/serial/by-id/usb-FTDI=x"});
    EXPECT_FALSE(line.exit_code) << line.message;
    EXPECT_EQ(line.ports, (std::map<int, std::string>{{1, "/dev/ttyUSB0"}, {7, "/dev/serial/by-id/usb-FTDI=x"}}));
    EXPECT_TRUE(Parse({}).ports.empty());
}

TEST(CommandLine, BadArgumentsEndWithAMessageAndStatus2) {
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{"--port", "1"}, "expected N=DEVICE"},
        {{"--port", "/dev/ttyUSB0"}, "expected N=DEVICE"},
        {{"--port", "0=/dev/ttyUSB0"}, "must be 1 to 7"},
        {{"--port", "8=/dev/ttyUSB0"}, "must be 1 to 7"},
        {{"--port", "-1=/dev/ttyUSB0"}, "must be 1 to 7"},
        {{"--port", "1x=/dev/ttyUSB0"}, "must be 1 to 7"},
        {{"--port", "=/dev/ttyUSB0"}, "must be 1 to 7"},
        {{"--port", "99999999999=/dev/ttyUSB0"}, "must be 1 to 7"},
        {{"--port", "2="}, "no device after '='"},
        {{"--port", "2=/dev/a", "--port", "2=/dev/b"}, "port 2 is given twice"},
        {{"--port"}, "Missing value"},
        {{"--bogus"}, "Unknown option"},
        {{"stray"}, "unexpected argument \"stray\""},
    };
    for (const auto& c : cases) {
        const std::string what = c.args.join(' ').toStdString();
        const CommandLine line = Parse(c.args);
        ASSERT_TRUE(line.exit_code) << what;
        EXPECT_EQ(*line.exit_code, 2) << what;
        EXPECT_NE(line.message.find(c.says), std::string::npos) << what << ": " << line.message;
        EXPECT_EQ(line.message.rfind("orv-console: ", 0), 0u) << line.message;
        EXPECT_TRUE(line.ports.empty()) << what;
    }
}

TEST(CommandLine, TheToolkitsOwnArgumentsPassUntilItHasTakenThem) {
    // Before the toolkit has seen them, its options are let through, but a
    // bad mapping is still turned away at once.
    EXPECT_FALSE(Parse({"-platform", "offscreen", "--port", "1=/dev/ttyUSB0"}, true).exit_code);
    EXPECT_EQ(Parse({"-platform", "offscreen", "--port", "9=/dev/ttyUSB0"}, true).exit_code, 2);
    EXPECT_EQ(Parse({"-platform", "offscreen"}, false).exit_code, 2);
}

TEST(CommandLine, HelpAndVersionAnswerAndEnd) {
    for (const char* help : {"--help", "-h"}) {
        const CommandLine line = Parse({help, "--port", "9=bad"});
        EXPECT_EQ(line.exit_code, 0) << help;
        EXPECT_NE(line.message.find("Usage: orv-console"), std::string::npos) << line.message;
        EXPECT_NE(line.message.find("--port <N=DEVICE>"), std::string::npos) << line.message;
    }
    for (const char* version : {"--version", "-v"}) {
        const CommandLine line = Parse({version});
        EXPECT_EQ(line.exit_code, 0) << version;
        EXPECT_EQ(line.message.rfind("orv-console ", 0), 0u) << line.message;
        EXPECT_EQ(line.message.back(), '\n');
    }
}

}  // namespace
}  // namespace orv::app::test
