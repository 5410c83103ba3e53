#include "Settings.h"
#include <gtest/gtest.h>
