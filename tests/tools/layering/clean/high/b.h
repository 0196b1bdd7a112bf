#pragma once
#include <vector>
#include "low/a.h"
