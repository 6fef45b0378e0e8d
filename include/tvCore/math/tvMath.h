// The math library: every header of the area.
#pragma once

#include "tvCore/math/tvMathUtil.h"
