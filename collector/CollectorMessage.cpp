#include "collector/CollectorMessage.h"
