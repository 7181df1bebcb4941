// Carries the headers every test program precompiles once (see CMakeLists.txt).
