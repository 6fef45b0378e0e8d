// Zip packages: the package classes and the member reader and writer.
#pragma once

#include "tvCore/packages/tvZipFile.h"
#include "tvCore/packages/tvPackage.h"
#include "tvCore/packages/tvPackageFileSystem.h"
