// The root classes: FFundament (empty value root), FInterface (virtual destructor) and
// FExec (objects that take textual commands).
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

class FString;

// Empty, non-polymorphic root. Its class-scope allocation functions do not throw, so a
// new-expression of any library object yields null (and runs no constructor) when the
// active allocator refuses the request.
class TVCORE_API FFundament {
public:
    FFundament() = default;
    FFundament(const FFundament&) = default;
    FFundament& operator=(const FFundament&) { return *this; }
    FFundament& operator=(FFundament&&) noexcept { return *this; }

    static void* operator new(std::size_t Size) noexcept;
    static void* operator new[](std::size_t Size) noexcept;
    static void operator delete(void* Ptr) noexcept;
    static void operator delete[](void* Ptr) noexcept;
    // Placement forms stay usable on library classes.
    static void* operator new(std::size_t, void* Where) noexcept { return Where; }
    static void operator delete(void*, void*) noexcept {}
};

class TVCORE_API FInterface : public FFundament {
public:
    FInterface() = default;
    FInterface(const FInterface&) = default;
    FInterface& operator=(const FInterface&) { return *this; }
    virtual ~FInterface();
};

class TVCORE_API FExec : public FInterface {
public:
    FExec() = default;
    FExec(const FExec&) = default;
    FExec(FExec&&) noexcept {}
    FExec& operator=(const FExec&) { return *this; }
    FExec& operator=(FExec&&) noexcept { return *this; }
    ~FExec() override;

    // Runs a textual command; the default ignores both arguments and reports success.
    virtual int Exec(tvWChar* Cmd, FString& Out);
};

} // namespace Tolvane
