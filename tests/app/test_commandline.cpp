#include "CommandLine.h"
#include <gtest/gtest.h>
