// The module file under test (set by pulvax_module_tests' main).
#pragma once

#include <string>

extern std::string module_path;
