// SPDX-License-Identifier: GPL-3.0-or-later
// The main() of a runner program: several test files linked into one
// program, each test class registered under its file's name.
//
//   RUNNER NAME [QtTest options]   runs that file's class, as its own program would
//   RUNNER                         lists the names

#include "runner/TestRunner.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace tavrel::testing {

namespace {

std::map<std::string, TestClassMain>& Registry()
{
    static std::map<std::string, TestClassMain> registry;
    return registry;
}

} // namespace

bool RegisterTestClass(const char* sourceFile, TestClassMain run)
{
    std::string name(sourceFile);
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.erase(dot);
    if (!Registry().emplace(name, run).second) {
        std::fprintf(stderr, "two test files are named %s\n", name.c_str());
        std::abort();
    }
    return true;
}

} // namespace tavrel::testing

int main(int argc, char* argv[])
{
    const auto& registry = tavrel::testing::Registry();
    if (argc < 2 || std::strncmp(argv[1], "-", 1) == 0) {
        std::printf("Usage: %s TEST [QtTest options]; the tests:\n", argv[0]);
        for (const auto& entry : registry)
            std::printf("  %s\n", entry.first.c_str());
        return argc < 2 ? 0 : 2;
    }
    const auto found = registry.find(argv[1]);
    if (found == registry.end()) {
        std::fprintf(stderr, "%s: no test named %s\n", argv[0], argv[1]);
        return 2;
    }
    // The class sees the command line its own program would: the program's
    // name, then the options.
    std::vector<char*> arguments{argv[0]};
    arguments.insert(arguments.end(), argv + 2, argv + argc);
    arguments.push_back(nullptr);
    return found->second(argc - 1, arguments.data());
}
