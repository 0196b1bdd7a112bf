#pragma once
#include "low/other.h"
