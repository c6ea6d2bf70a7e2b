#pragma once

#include "win32/Types.h"
