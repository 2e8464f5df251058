# CMake generated Testfile for 
# Source directory: /work/main/tests/app
# Build directory: /work/main/build-release/tests/app
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[tst_headless]=] "/work/main/build-release/tests/app/tst_headless")
set_tests_properties([=[tst_headless]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/app/CMakeLists.txt;1;quorin_add_test;/work/main/tests/app/CMakeLists.txt;0;")
