#pragma once

#include "low/low.hpp"
