#pragma once
// Runs orvtool as a script would: arguments in, exit status, standard output
// and standard error out.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace orv::test {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

inline std::string ShellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// env: assignments for orvtool's environment alone, e.g. TMPDIR=/x.
inline ToolRun RunTool(const std::vector<std::string>& args, const std::string& env = {}) {
    static int n = 0;
    const auto base = std::filesystem::temp_directory_path() / ("orvtool-run-" + std::to_string(::getpid()) + "-" + std::to_string(n++));
    std::string cmd = (env.empty() ? "" : env + " ") + ShellQuote(ORVTOOL_BINARY);
    for (const std::string& a : args) cmd += " " + ShellQuote(a);
    cmd += " >" + ShellQuote(base.string() + ".out") + " 2>" + ShellQuote(base.string() + ".err") + " </dev/null";
    ToolRun r;
    const int raw = std::system(cmd.c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    auto slurp = [](const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    };
    r.out = slurp(base.string() + ".out");
    r.err = slurp(base.string() + ".err");
    std::filesystem::remove(base.string() + ".out");
    std::filesystem::remove(base.string() + ".err");
    return r;
}

}  // namespace orv::test
