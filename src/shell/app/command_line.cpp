#include "shell/app/command_line.h"

#include "model/version.h"

#include <algorithm>
#include <array>
#include <iostream>
#include <string_view>

namespace tally {

namespace {

// The toolkit's own options that this program passes on to it, and whether
// each takes a value. Anything else is refused before the toolkit sees it.
struct ToolkitOption
{
    std::string_view Name;
    bool TakesValue;
};

constexpr std::array kToolkitOptions {
    ToolkitOption {"platform", true},
    ToolkitOption {"platformtheme", true},
    ToolkitOption {"plugin", true},
    ToolkitOption {"display", true},
    ToolkitOption {"session", true}, // the session manager restarts the program with it
    ToolkitOption {"style", true},
    ToolkitOption {"stylesheet", true},
    ToolkitOption {"qwindowgeometry", true},
    ToolkitOption {"qwindowtitle", true},
    ToolkitOption {"reverse", false},
    ToolkitOption {"sync", false},
    ToolkitOption {"nograb", false},
    ToolkitOption {"dograb", false},
};

// Where the data live by default differs between the systems; the rule is
// the same (see ChooseDataFolder).
#ifdef _WIN32
constexpr const char* kDataFolderText
    = "The timers, the settings and the run log live in %LOCALAPPDATA%\\tallyhour-zide\\\n"
      "(or %APPDATA%\\tallyhour-zide\\ when LOCALAPPDATA is not set), or beside the program when a\n"
      "file named \"portable\" (or a timers.dat or tallyhourlite.ini) is there. TALLYHOUR_DATA_DIR\n"
      "names another folder.\n";
#else
constexpr const char* kDataFolderText
    = "The timers, the settings and the run log live in $XDG_DATA_HOME/tallyhour-zide/\n"
      "(by default ~/.local/share/tallyhour-zide/), or beside the program when a file named\n"
      "\"portable\" (or a timers.dat or tallyhourlite.ini) is there. TALLYHOUR_DATA_DIR names\n"
      "another folder.\n";
#endif

} // namespace

void PrintUsage(std::ostream& out)
{
    out << "Usage: " << kProgramName << " [OPTION]...\n"
        << "Tallyhour Zide, a time tracker that lives in the notification area.\n"
           "\n"
           "  -h, --help             print this help and end\n"
           "      --version          print the version and end\n"
           "\n"
           "Options of the windowing toolkit, passed on to it (one or two leading dashes):\n"
           "  -platform NAME, -platformtheme NAME, -plugin NAME, -display NAME,\n"
           "  -session ID, -style NAME (or -style=NAME), -stylesheet FILE (or -stylesheet=FILE),\n"
           "  -qwindowgeometry GEOMETRY, -qwindowtitle TITLE, -reverse, -sync, -nograb, -dograb\n"
           "\n"
        << kDataFolderText;
}

void PrintVersion(std::ostream& out)
{
    out << kProgramName << " " << kProgramVersion << "\n";
}

CommandLineAction ReadCommandLine(int argc, char** argv, std::string& problem)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            return CommandLineAction::Help;
        }
        if (arg == "--version") {
            return CommandLineAction::Version;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            problem = "unexpected argument '" + std::string(arg) + "'";
            return CommandLineAction::Refuse;
        }
        std::string_view name = arg.substr(arg.starts_with("--") ? 2 : 1);
        const auto equals = name.find('=');
        const bool inlineValue = equals != std::string_view::npos;
        if (inlineValue) {
            name = name.substr(0, equals);
        }
        const auto* option = std::find_if(
            kToolkitOptions.begin(), kToolkitOptions.end(), [&](const ToolkitOption& o) { return o.Name == name; });
        // The toolkit reads "=value" only for the style options.
        const bool equalsAllowed = name == "style" || name == "stylesheet";
        if (option == kToolkitOptions.end() || (inlineValue && !equalsAllowed)) {
            problem = "unknown option '" + std::string(arg) + "'";
            return CommandLineAction::Refuse;
        }
        if (option->TakesValue && !inlineValue) {
            if (i + 1 >= argc) {
                problem = "option '" + std::string(arg) + "' needs a value";
                return CommandLineAction::Refuse;
            }
            ++i;
        }
    }
    return CommandLineAction::Run;
}

std::optional<std::string> ToolkitOptionValue(int argc, char** argv, std::string_view option)
{
    std::optional<std::string> value;
    for (int i = 1; i + 1 < argc; ++i) {
        std::string_view arg = argv[i];
        arg.remove_prefix(arg.starts_with("--") ? 2 : arg.starts_with("-") ? 1 : 0);
        if (arg == option) {
            value = argv[++i];
        }
    }
    return value;
}

std::optional<int> AnswerCommandLine(int argc, char** argv, const std::function<void()>& beforeOutput)
{
    std::string problem;
    const CommandLineAction action = ReadCommandLine(argc, argv, problem);
    if (action == CommandLineAction::Run) {
        return std::nullopt;
    }
    if (beforeOutput) {
        beforeOutput();
    }
    switch (action) {
        case CommandLineAction::Help:
            PrintUsage(std::cout);
            return std::cout.flush() ? 0 : 1;
        case CommandLineAction::Version:
            PrintVersion(std::cout);
            return std::cout.flush() ? 0 : 1;
        case CommandLineAction::Refuse:
        case CommandLineAction::Run:
            break;
    }
    std::cerr << kProgramName << ": " << problem << "\n";
    PrintUsage(std::cerr);
    return 2;
}

} // namespace tally
