// The IMG archive file system: every header of the area.
#pragma once

#include "tvCore/img/tvImgLoader.h"
#include "tvCore/img/tvImgFileSystem.h"
#include "tvCore/img/tvImgReaders.h"
#include "tvCore/img/tvImgAsyncReaders.h"
#include "tvCore/img/tvImgArchive.h"
