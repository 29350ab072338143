#pragma once
// orvtool's subcommands. Each adds itself to the command line with its flags
// and runs when chosen; a failure is one line on standard error and a
// non-zero exit, and nothing is written.
#include <CLI/CLI.hpp>
#include <stdexcept>
#include <string>

namespace orv::tool {

// What a subcommand throws for bad input or a failed operation.
struct Failure : std::runtime_error {
    explicit Failure(const std::string& what, int exit_code = 2) : std::runtime_error(what), code(exit_code) {}
    int code;
};

// The exit status a subcommand leaves (diff and lint: 1 when they found something).
int& ExitStatus();

// Every subcommand on `app`, with the failure message orvtool prints.
void BuildApp(CLI::App& app);

void AddReport(CLI::App& app);
void AddCalc(CLI::App& app);
void AddDiff(CLI::App& app);
void AddRec2Csv(CLI::App& app);
void AddLint(CLI::App& app);
void AddUpload(CLI::App& app);
void AddDownload(CLI::App& app);
void AddMonitor(CLI::App& app);

}  // namespace orv::tool
