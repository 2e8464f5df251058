# CMake generated Testfile for 
# Source directory: /work/main/tests/platform
# Build directory: /work/main/build-release/tests/platform
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[tst_platform]=] "/work/main/build-release/tests/platform/tst_platform")
set_tests_properties([=[tst_platform]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/platform/CMakeLists.txt;1;quorin_add_test;/work/main/tests/platform/CMakeLists.txt;0;")
