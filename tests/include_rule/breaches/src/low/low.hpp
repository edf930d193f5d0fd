#pragma once

#include "high/high.hpp"
#include <vector>
