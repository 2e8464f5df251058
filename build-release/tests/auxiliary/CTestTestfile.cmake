# CMake generated Testfile for 
# Source directory: /work/main/tests/auxiliary
# Build directory: /work/main/build-release/tests/auxiliary
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[tst_auxiliary]=] "/work/main/build-release/tests/auxiliary/tst_auxiliary")
set_tests_properties([=[tst_auxiliary]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/auxiliary/CMakeLists.txt;1;quorin_add_test;/work/main/tests/auxiliary/CMakeLists.txt;0;")
