// The process search (see tvProcessSearch.h).
#include "base/tvPrelude.h"
#include "core/tvProcessSearch.h"
#include "core/strings/tvWideRuntime.h"

namespace Tolvane {

namespace {

struct FSearch {
    const tvWChar* ExeName;
    const FProcessSearchSystem* System;
    int* ProcessId;
    tvHandle Found = nullptr;
};

bool VisitOne(void* Context, const tvWChar* ExeName, tvULong Id)
{
    FSearch& Search = *static_cast<FSearch*>(Context);
    const FProcessSearchSystem& System = *Search.System;
    // The name is an argument, never the format: a '%' in a program's name prints as itself.
    System.LogLine(TVTEXT("%s"), ExeName);
    if (Wide::Compare(ExeName, Search.ExeName) != 0)
        return true;
    System.LogLine(TVTEXT("Find deamon!!!"));
    System.LogLine(TVTEXT("%d"), System.LastError());
    Search.Found = System.OpenForWait(Id);
    *Search.ProcessId = static_cast<int>(Id);
    System.LogLine(TVTEXT("%d"), System.LastError());
    return false;
}

} // namespace

tvHandle SearchProcess(const tvWChar* ExeName, int& ProcessId, const FProcessSearchSystem& System)
{
    if (!ExeName)
        return nullptr;
    FSearch Search{ExeName, &System, &ProcessId};
    if (!System.Visit(VisitOne, &Search))
        return nullptr;
    return Search.Found;
}

} // namespace Tolvane
