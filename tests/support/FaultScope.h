// Injected system-call failures disarmed on entry and on exit of a scope, so no test's fault
// reaches another test.
#pragma once

#include "base/tvFaultInjection.h"

namespace tvtest {
struct FFaultScope {
    FFaultScope() { Tolvane::Faults::Clear(); }
    ~FFaultScope() { Tolvane::Faults::Clear(); }
    FFaultScope(const FFaultScope&) = delete;
    FFaultScope& operator=(const FFaultScope&) = delete;
};
} // namespace tvtest
