#include <iostream>
#include <string>
#include <vector>

#include "ConsoleDriver.hpp"

int main(int argc, char* argv[]) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> paths(argv + 1, argv + argc);
    return Vantorn::runConsole(paths, std::cout, std::cerr);
}
