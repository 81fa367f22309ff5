#include "CommandLine.h"

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool layoutGiven = false, optionsEnd = false;
    for (const std::string& argument : arguments) {
        const bool option = !optionsEnd && argument.size() > 1 && argument[0] == '-';
        if (option && argument == "--") {
            optionsEnd = true;
        } else if (option && (argument == "--help" || argument == "-h")) {
            line.help = true;
        } else if (option && (argument == "--left-right" || argument == "--top-bottom" || argument == "--2d")) {
            if (layoutGiven) line.error = "only one of --left-right, --top-bottom and --2d may be given";
            layoutGiven = true;
            line.layout = argument == "--left-right"   ? CommandLine::Layout::LeftRight
                          : argument == "--top-bottom" ? CommandLine::Layout::TopBottom
                                                       : CommandLine::Layout::Flat;
        } else if (option) {
            line.error = "unknown option " + argument;
        } else if (!line.file.empty()) {
            line.error = "only one FILE may be given";
        } else {
            line.file = argument;
        }
    }
    return line;
}

const char* CommandLineUsage() {
    return "Usage: OrvoPlayer [--left-right | --top-bottom | --2d] [FILE]\n"
           "Plays 2D and stereoscopic video.\n"
           "\n"
           "  --left-right   FILE holds its two views side by side\n"
           "  --top-bottom   FILE holds its two views one above the other\n"
           "  --2d           FILE is ordinary 2D video\n"
           "                 (without any of these, FILE opens as its stream, container or name says)\n"
           "  --help         show this text and exit\n";
}
