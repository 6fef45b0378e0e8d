// Strings, containers, character conversion and the name table: every header of the area.
#pragma once

#include "tvCore/core/strings/tvString.h"
#include "tvCore/core/strings/tvStringDataPool.h"
#include "tvCore/core/strings/tvCodePage.h"
#include "tvCore/core/strings/tvArray.h"
#include "tvCore/core/strings/tvNamedPtrArray.h"
#include "tvCore/core/strings/tvBitFlag.h"
#include "tvCore/core/strings/tvNameHash.h"

// Character conversion, small text utilities and command parsing.
#include "tvCore/core/strings/tvCharConversion.h"
#include "tvCore/core/strings/tvStringUtils.h"
#include "tvCore/core/strings/tvParse.h"

// Whole files to strings and byte arrays.
#include "tvCore/core/strings/tvTextFile.h"
