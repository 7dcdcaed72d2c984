// The remote commands of tk515: read and write a transmitter through a GSM modem.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tk::cli {

// True for "remote-read" and "remote-write".
bool IsRemoteCommand(const std::string& name);

// Runs a remote command; args[0] is its name. Status words go to err as the link
// reports them, the final message to out; failures to err with status 1. Ctrl+C, SIGTERM
// or SIGHUP during the session stops it within a wait slice, hangs up and closes the
// port before the tool ends; an unconfirmed hang-up is warned about on err.
int RunRemoteCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The lines the tool's help gives the remote commands.
const char* RemoteCommandsHelp();

} // namespace tk::cli
