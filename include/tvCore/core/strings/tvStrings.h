// Strings, containers, character conversion and the name table: every header of the area.
#pragma once

#include "tvCore/core/strings/tvString.h"
#include "tvCore/core/strings/tvStringDataPool.h"
#include "tvCore/core/strings/tvCodePage.h"
