#pragma once
// The program's command line: OrvoPlayer [--left-right | --top-bottom | --2d] [FILE]; without a
// layout option the file opens with the layout the engine detects.
#include <string>
#include <vector>

#include "MediumLayout.h"

struct CommandLine {
    using Layout = MediumLayout;
    Layout layout = Layout::Detected;
    std::string file;   // empty: start idle
    bool help = false;
    std::string error;  // set when the arguments cannot be understood
};

// Reads the arguments after the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The usage text --help prints.
const char* CommandLineUsage();
