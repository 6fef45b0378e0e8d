// Archives and file managers: every header of the area.
#pragma once

#include "tvCore/core/files/tvArchive.h"
#include "tvCore/core/files/tvFileArchive.h"
#include "tvCore/core/files/tvFileArchiveWin.h"
#include "tvCore/core/files/tvMemoryArchive.h"
#include "tvCore/core/files/tvFileManager.h"
#include "tvCore/core/files/tvFileManagerWin.h"
#include "tvCore/core/files/tvFileFunctions.h"
#include "tvCore/core/files/tvMemoryMap.h"
