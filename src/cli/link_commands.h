// The link commands of tk515: ports, read and write over the programming cable.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tk::cli {

// True for the names of the link commands ("ports", "read", "write").
bool IsLinkCommand(const std::string& name);

// Runs a link command; args[0] is its name. Status words go to err as the link
// reports them, results and the final message to out; failures to err with status 1.
int RunLinkCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The lines the tool's help gives the link commands.
const char* LinkCommandsHelp();

} // namespace tk::cli
