// Archives and file managers: every header of the area.
#pragma once

