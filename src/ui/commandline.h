// The window program's command line: tk515pro [--port PORT] [FILE...], --help and
// --version.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tk {

// The help text that --help prints.
extern const char* const kWindowHelp;

// Answers --help and --version (printed on standard output, status 0) before any
// window is made, so that they work without a display. Nothing when the program goes
// on. Arguments after "--" and the value of --port are not read as options.
std::optional<int> answerInformationRequest(int argc, char** argv);

struct WindowCommandLine {
    std::optional<QString> port;
    QStringList files;
    QString error; // a wrong command line, in Russian; empty when right
};

// Reads the arguments that Qt left (QCoreApplication::arguments(), the program first).
WindowCommandLine parseWindowCommandLine(const QStringList& arguments);

} // namespace tk
