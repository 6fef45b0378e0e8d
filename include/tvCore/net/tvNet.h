// HTTP downloads: every header of the area.
#pragma once

#include "tvCore/net/tvDownloadMgr.h"
#include "tvCore/net/tvHttpPost.h"
