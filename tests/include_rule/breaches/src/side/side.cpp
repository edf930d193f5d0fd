#include "high/high.hpp"
#include "side/side.hpp"
