#include "core/command_line.h"

#include <gtest/gtest.h>

using namespace core;


