// Start-up and shut-down of the library's singletons.
#include "base/tvPrelude.h"
#include "tvCore/core/tvStartup.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvLogDevice.h"
#include "tvCore/core/tvTime.h"
#include "tvCore/core/files/tvMemoryMap.h"
#include "core/tvStartup.h"
#include "core/tvCycles.h"
#include "platform/tvPlatformThread.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace Tolvane {

namespace {
std::atomic<FFileManagerFactory> GDefaultFileManagerFactory{nullptr};
} // namespace

void appSetDefaultFileManagerFactory(FFileManagerFactory Factory) { GDefaultFileManagerFactory.store(Factory); }

int appInitCore()
{
    // A second start-up without a shut-down would leak the first singletons.
    if (GFileManager || GLog || GAppTime || GMemMapPool)
        appExitCore();

    GRenderThreadId = Platform::CurrentThreadId();
    const FFileManagerFactory Factory = GDefaultFileManagerFactory.load();
    GFileManager = Factory ? Factory() : nullptr;
    if (GFileManager)
        GFileManager->SetPackageMode(static_cast<EFilePackMode>(FILEPACK_ReadFromPackages | FILEPACK_WriteToPackages));
    GLog = new FLog;
    GAppTime = new (std::nothrow) FAppTime;  // not an FFundament: the non-throwing form checks for null
    if (GAppTime)
        GAppTime->Init();
    GMemMapPool = new FMemMapPool;
    if (!GFileManager || !GLog || !GAppTime || !GMemMapPool) {
        // Refused memory leaves no half-started library behind: every global is null again.
        appExitCore();
        return 0;
    }

    std::srand(0);
    appInstallConsoleHandler();
    appMeasureCycleRate();
    return 1;
}

int appExitCore()
{
    delete GMemMapPool;
    GMemMapPool = nullptr;
    delete GAppTime;
    GAppTime = nullptr;
    delete GLog;
    GLog = nullptr;
    delete GFileManager;
    GFileManager = nullptr;
    return 1;
}

} // namespace Tolvane
