// Locks, processes and threads: every header of the area.
#pragma once

#include "tvCore/core/tvLock.h"
#include "tvCore/core/tvAsyncLock.h"
#include "tvCore/core/tvProcessMgr.h"
#include "tvCore/core/tvThreadMgr.h"
