#include "core/folder_tree.h"

#include <gtest/gtest.h>

using namespace core;


