// tvCore: the whole public interface in one include.
#pragma once

#include "tvCore/core/tvTypes.h"
#include "tvCore/core/tvBase.h"
#include "tvCore/core/tvMalloc.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvTime.h"
#include "tvCore/core/tvMemStack.h"
#include "tvCore/core/tvDate.h"
#include "tvCore/core/tvMessageBox.h"
#include "tvCore/core/strings/tvStrings.h"
#include "tvCore/core/files/tvFiles.h"
#include "tvCore/core/tvLog.h"
#include "tvCore/core/tvThreads.h"
#include "tvCore/math/tvMath.h"
#include "tvCore/packages/tvPackages.h"
#include "tvCore/config/tvConfig.h"
#include "tvCore/net/tvNet.h"
