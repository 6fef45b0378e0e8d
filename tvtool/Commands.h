// The subcommand groups of tvtool: each group's file defines its table.
#pragma once

#include "ToolCommon.h"

namespace tvtool {

struct FSubcommand {
    const char* Name;
    int (*Run)(const FCommandLine& Line);
    FOptionTable Options;
};

struct FCommandGroup {
    const char* Name;
    const char* Summary;
    const char* Usage;
    const char* Help;
    const FSubcommand* Commands;  // ends with a null name
};

extern const FCommandGroup PackGroup;
extern const FCommandGroup IniGroup;
extern const FCommandGroup TextGroup;
extern const FCommandGroup LinGroup;
extern const FCommandGroup ImgGroup;
extern const FCommandGroup FetchGroup;

} // namespace tvtool
