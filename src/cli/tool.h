// The tk515 command-line tool: new, show, export, import and diff over configuration
// files and their JSON form, and the link commands (cli/command_line.h lists them all).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tk::cli {

enum ExitStatus : int {
    ExitOk = 0,     // done; diff: the records are equal
    ExitFailed = 1, // the operation failed; diff: the records differ
    ExitUsage = 2,  // the command line is wrong; the usage text is on err
};

// Runs the tool on its arguments (without the program name). Results go to out,
// messages to err, both UTF-8.
int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace tk::cli
