// The math library: every header of the area.
#pragma once

