#include "cli/command_line.h"
#include "cli/tool.h"
#include "files/backups.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char** argv) {
    // The window's data folder, where the backups are kept.
    QCoreApplication::setApplicationName(tk::kDataApplicationName);
    const std::vector<std::string> args(argv + 1, argv + argc);
    int status = tk::cli::RunTool(args, std::cout, std::cerr);
    // A full disk or a closed pipe must not pass for success.
    std::cout.flush();
    if (!std::cout) {
        status = tk::cli::Failed(std::cerr, "не удалось записать стандартный вывод");
    }
    return status;
}
