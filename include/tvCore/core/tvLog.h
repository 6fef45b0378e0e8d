// Logging and tracing: every header of the area.
#pragma once

#include "tvCore/core/tvLogDevice.h"
