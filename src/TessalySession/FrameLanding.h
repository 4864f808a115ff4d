#pragma once
// The landing rule lives with the record of what the server was told.
#include "Platform/FrameLanding.h"
