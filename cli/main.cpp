// quarnel-cli: the critter prototype files as text, from the command line.
#include "cli/CliApp.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#endif

namespace {

// The arguments after the program name as UTF-8 text (on Windows from the
// UTF-16 command line, so names outside the code page arrive whole).
std::vector<std::string> Utf8Arguments(int argc, char** argv)
{
#ifdef _WIN32
    (void)argc;
    (void)argv;
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
        if (size > 1)
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), size, nullptr, nullptr);
        arguments.push_back(std::move(text));
    }
    LocalFree(wide);
    return arguments;
#else
    return std::vector<std::string>(argv + 1, argv + argc);
#endif
}

} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // The bytes as written: names keeps its CRLF lines, show its LF lines.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::ios::sync_with_stdio(false);
    const int status = quarnel::cli::RunCli(Utf8Arguments(argc, argv), std::cout, std::cerr);
    errno = 0;
    std::cout.flush();
    if (std::cout)
        return status;
    // The output went nowhere (a full disk, a closed pipe): say so, never exit silently.
    std::cerr << "quarnel-cli: " << (errno == ENOSPC || errno == 0 ? "Disk full." : std::strerror(errno)) << '\n';
    return 2;
}
