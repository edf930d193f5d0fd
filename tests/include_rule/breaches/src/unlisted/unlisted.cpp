#include "low/low.hpp"
