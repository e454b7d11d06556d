#include "estimate/Estimate.hpp"
