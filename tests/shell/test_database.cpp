#include "Database.h"
#include <gtest/gtest.h>
