// Configuration files and XML documents: every header of the area.
#pragma once

#include "tvCore/config/tvConfigFile.h"
#include "tvCore/config/tvXmlFile.h"
