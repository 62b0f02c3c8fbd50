#pragma once
// Kept for the dialog tests that include it by this name.
#include "ShadeTestSupport.h"
