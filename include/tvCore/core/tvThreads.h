// Locks, processes and threads: every header of the area.
#pragma once

