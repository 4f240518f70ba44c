#pragma once

// The whole utility library: errors, code locations, strings, paths, files, logging.
#include "platform/ZuUtils/FXCodeLocation.h"
#include "platform/ZuUtils/FXErrorUtil.h"
#include "platform/ZuUtils/FXFile.h"
#include "platform/ZuUtils/FXPath.h"
#include "platform/ZuUtils/FXString.h"
#include "platform/ZuUtils/FileLogWriter.h"
#include "platform/ZuUtils/LogWriterInterface.h"
#include "platform/ZuUtils/ZuError.h"
#include "platform/ZuUtils/ZuTypes.h"
