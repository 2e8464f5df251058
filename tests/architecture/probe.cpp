// One include, named by the build (CMakeLists.txt beside this file).
#include QUORIN_PROBE_HEADER
