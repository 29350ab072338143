#pragma once
// orvtool's subcommands. Each adds itself to the command line with its flags
// and runs when chosen; a failure is one line on standard error and a
// non-zero exit, and nothing is written.
#include <CLI/CLI.hpp>
#include <stdexcept>
#include <string>

namespace orv::tool {

// The exit status of a command line orvtool cannot run, and of bad input.
constexpr int kUsageError = 2;
// download --verify: every block written, but the read-back could not be
// completed on the line (1 is a read-back that differs).
constexpr int kNotVerified = 3;

// What a subcommand throws for bad input or a failed operation.
struct Failure : std::runtime_error {
    explicit Failure(const std::string& what, int exit_code = kUsageError) : std::runtime_error(what), code(exit_code) {}
    int code;
};

// The exit status a subcommand leaves (diff and lint: 1 when they found something).
int& ExitStatus();

// The subcommands that work on files alone (report, calc, diff, rec2csv,
// lint, replay) on `app`. The line subcommands are added by orvtool's main, where
// the serial library is built.
void BuildApp(CLI::App& app);

// Parses the command line and runs the subcommand chosen; the exit status.
// --help and --version print on standard output and exit 0. No arguments
// list the subcommands on standard error, exit 2; every other usage error
// and every failure is one line on standard error, exit 2 (or the failure's
// own code).
int Run(CLI::App& app, int argc, const char* const* argv);

void AddReport(CLI::App& app);
void AddCalc(CLI::App& app);
void AddDiff(CLI::App& app);
void AddRec2Csv(CLI::App& app);
void AddLint(CLI::App& app);
void AddReplay(CLI::App& app);
void AddUpload(CLI::App& app);
void AddDownload(CLI::App& app);
void AddMonitor(CLI::App& app);

}  // namespace orv::tool
