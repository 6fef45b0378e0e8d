// tvCore: the whole public interface in one include.
#pragma once

#include "tvCore/core/tvTypes.h"
#include "tvCore/core/tvBase.h"
#include "tvCore/core/tvMalloc.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvTime.h"
