#include "DisplayText.h"

#include <gtest/gtest.h>
