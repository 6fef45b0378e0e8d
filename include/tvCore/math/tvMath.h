// The math library: every header of the area.
#pragma once

#include "tvCore/math/tvMathUtil.h"
#include "tvCore/math/tvVector.h"
#include "tvCore/math/tvColor.h"
#include "tvCore/math/tvScale.h"
#include "tvCore/math/tvRange.h"
#include "tvCore/math/tvMatrix.h"
#include "tvCore/math/tvCoords.h"
#include "tvCore/math/tvRotator.h"
#include "tvCore/math/tvQuaternion.h"
#include "tvCore/math/tvPlane.h"
#include "tvCore/math/tvBox.h"
#include "tvCore/math/tvSphere.h"
#include "tvCore/math/tvBezier.h"
#include "tvCore/math/tvNurbsCurve.h"
