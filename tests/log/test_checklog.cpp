#include "ParseLog.h"

#include <gtest/gtest.h>
