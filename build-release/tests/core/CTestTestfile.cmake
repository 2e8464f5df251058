# CMake generated Testfile for 
# Source directory: /work/main/tests/core
# Build directory: /work/main/build-release/tests/core
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[tst_settingsfiles]=] "/work/main/build-release/tests/core/tst_settingsfiles")
set_tests_properties([=[tst_settingsfiles]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/core/CMakeLists.txt;3;quorin_add_test;/work/main/tests/core/CMakeLists.txt;0;")
add_test([=[tst_sqltemplates]=] "/work/main/build-release/tests/core/tst_sqltemplates")
set_tests_properties([=[tst_sqltemplates]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/core/CMakeLists.txt;3;quorin_add_test;/work/main/tests/core/CMakeLists.txt;0;")
add_test([=[tst_preferences]=] "/work/main/build-release/tests/core/tst_preferences")
set_tests_properties([=[tst_preferences]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/core/CMakeLists.txt;3;quorin_add_test;/work/main/tests/core/CMakeLists.txt;0;")
add_test([=[tst_loglists]=] "/work/main/build-release/tests/core/tst_loglists")
set_tests_properties([=[tst_loglists]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/core/CMakeLists.txt;3;quorin_add_test;/work/main/tests/core/CMakeLists.txt;0;")
add_test([=[tst_diagnosticfiles]=] "/work/main/build-release/tests/core/tst_diagnosticfiles")
set_tests_properties([=[tst_diagnosticfiles]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/core/CMakeLists.txt;3;quorin_add_test;/work/main/tests/core/CMakeLists.txt;0;")
add_test([=[tst_maintick]=] "/work/main/build-release/tests/core/tst_maintick")
set_tests_properties([=[tst_maintick]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/core/CMakeLists.txt;3;quorin_add_test;/work/main/tests/core/CMakeLists.txt;0;")
add_test([=[tst_maincontroller]=] "/work/main/build-release/tests/core/tst_maincontroller")
set_tests_properties([=[tst_maincontroller]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/core/CMakeLists.txt;3;quorin_add_test;/work/main/tests/core/CMakeLists.txt;0;")
add_test([=[tst_commandline]=] "/work/main/build-release/tests/core/tst_commandline")
set_tests_properties([=[tst_commandline]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/core/CMakeLists.txt;3;quorin_add_test;/work/main/tests/core/CMakeLists.txt;0;")
add_test([=[tst_statusreport]=] "/work/main/build-release/tests/core/tst_statusreport")
set_tests_properties([=[tst_statusreport]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/core/CMakeLists.txt;3;quorin_add_test;/work/main/tests/core/CMakeLists.txt;0;")
add_test([=[tst_mainwindow]=] "/work/main/build-release/tests/core/tst_mainwindow")
set_tests_properties([=[tst_mainwindow]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/core/CMakeLists.txt;6;quorin_add_test;/work/main/tests/core/CMakeLists.txt;0;")
