#include "cli/command_line.h"
#include "cli/tool.h"

#include <iostream>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    int status = tk::cli::RunTool(args, std::cout, std::cerr);
    // A full disk or a closed pipe must not pass for success.
    std::cout.flush();
    if (!std::cout) {
        status = tk::cli::Failed(std::cerr, "не удалось записать стандартный вывод");
    }
    return status;
}
