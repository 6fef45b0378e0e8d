// Strings, containers, character conversion and the name table: every header of the area.
#pragma once

