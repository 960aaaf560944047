#pragma once
#include "link/LinePort.h"

// The parameters every controller window opens its port with: the
// session's port number, settings and buffer sizes, and the program folder
// where a com<N> link may name the device.
LineParams sessionLineParams();
