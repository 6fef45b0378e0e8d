#include "core/strings/tvWideRuntime.h"
#include <gtest/gtest.h>
