// Logging and tracing: every header of the area.
#pragma once

