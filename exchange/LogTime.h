#pragma once
// The time now as the activity logs note a run's start and end: medium date and time.
#include <string>

std::string nowText();
