// orvtool's command line: any arguments end in a result or in one of the
// failures it reports, never in anything uncaught. The commands run in the
// scratch folder on its two sample files (no argument may name another
// folder); those that open a serial line are not among them.
#include <unistd.h>

#include <algorithm>

#include "core/calibration/image.h"
#include "core/files/map_file.h"
#include "fuzz/fuzz_support.h"
#include "tools/commands.h"

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string sample_map = [] {
        Image image;
        for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7);
        if (::chdir(fuzz::ScratchDir().c_str()) != 0) std::abort();
        return FormatMapFile(image);
    }();
    fuzz::WriteScratch("a.map", sample_map);
    fuzz::WriteScratch("a.rec", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n");

    fuzz::Input in(data, size);
    std::vector<std::string> args{"orvtool"};
    while (!in.Empty() && args.size() < 16) {
        std::string arg = in.String();
        std::erase(arg, '/');
        args.push_back(arg);
    }
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());

    CLI::App app{"orvtool"};
    tool::BuildApp(app);
    tool::ExitStatus() = 0;
    try {
        app.parse(static_cast<int>(argv.size()), argv.data());
    } catch (const CLI::ParseError&) {
    } catch (const tool::Failure& f) {
        ORV_REQUIRE(f.code != 0);
    }
    return 0;
}
