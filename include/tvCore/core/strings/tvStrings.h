// Strings, containers, character conversion and the name table: every header of the area.
#pragma once

#include "tvCore/core/strings/tvArray.h"
#include "tvCore/core/strings/tvNamedPtrArray.h"
#include "tvCore/core/strings/tvBitFlag.h"
#include "tvCore/core/strings/tvNameHash.h"
