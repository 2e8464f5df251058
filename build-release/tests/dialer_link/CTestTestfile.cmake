# CMake generated Testfile for 
# Source directory: /work/main/tests/dialer_link
# Build directory: /work/main/build-release/tests/dialer_link
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[tst_packetformat]=] "/work/main/build-release/tests/dialer_link/tst_packetformat")
set_tests_properties([=[tst_packetformat]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/dialer_link/CMakeLists.txt;2;quorin_add_test;/work/main/tests/dialer_link/CMakeLists.txt;0;")
add_test([=[tst_reassembler]=] "/work/main/build-release/tests/dialer_link/tst_reassembler")
set_tests_properties([=[tst_reassembler]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/dialer_link/CMakeLists.txt;2;quorin_add_test;/work/main/tests/dialer_link/CMakeLists.txt;0;")
add_test([=[tst_dispatch]=] "/work/main/build-release/tests/dialer_link/tst_dispatch")
set_tests_properties([=[tst_dispatch]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/dialer_link/CMakeLists.txt;2;quorin_add_test;/work/main/tests/dialer_link/CMakeLists.txt;0;")
add_test([=[tst_dialerlink]=] "/work/main/build-release/tests/dialer_link/tst_dialerlink")
set_tests_properties([=[tst_dialerlink]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/dialer_link/CMakeLists.txt;4;quorin_add_test;/work/main/tests/dialer_link/CMakeLists.txt;0;")
add_test([=[tst_emulator]=] "/work/main/build-release/tests/dialer_link/tst_emulator")
set_tests_properties([=[tst_emulator]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/dialer_link/CMakeLists.txt;5;quorin_add_test;/work/main/tests/dialer_link/CMakeLists.txt;0;")
