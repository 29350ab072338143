// orvtool: reports, calculations, comparisons and transfers of the console,
// for scripts and terminals.
#include <iostream>

#include "orv_version.h"
#include "tools/commands.h"

int main(int argc, char** argv) {
    using namespace orv::tool;
    CLI::App app{"orvtool: the ORV console's work from the command line"};
    BuildApp(app);
    app.set_version_flag("--version", std::string("orvtool ") + orv::kVersion);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e);
    } catch (const Failure& f) {
        std::cerr << "orvtool: " << f.what() << "\n";
        return f.code;
    }
    return ExitStatus();
}
