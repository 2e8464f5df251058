# CMake generated Testfile for 
# Source directory: /work/main/tests/campaign
# Build directory: /work/main/build-release/tests/campaign
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[tst_sqlitedialect]=] "/work/main/build-release/tests/campaign/tst_sqlitedialect")
set_tests_properties([=[tst_sqlitedialect]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/campaign/CMakeLists.txt;2;quorin_add_test;/work/main/tests/campaign/CMakeLists.txt;0;")
add_test([=[tst_sqltext]=] "/work/main/build-release/tests/campaign/tst_sqltext")
set_tests_properties([=[tst_sqltext]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/campaign/CMakeLists.txt;2;quorin_add_test;/work/main/tests/campaign/CMakeLists.txt;0;")
add_test([=[tst_counters]=] "/work/main/build-release/tests/campaign/tst_counters")
set_tests_properties([=[tst_counters]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/campaign/CMakeLists.txt;2;quorin_add_test;/work/main/tests/campaign/CMakeLists.txt;0;")
add_test([=[tst_groups]=] "/work/main/build-release/tests/campaign/tst_groups")
set_tests_properties([=[tst_groups]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/campaign/CMakeLists.txt;2;quorin_add_test;/work/main/tests/campaign/CMakeLists.txt;0;")
add_test([=[tst_customers]=] "/work/main/build-release/tests/campaign/tst_customers")
set_tests_properties([=[tst_customers]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/campaign/CMakeLists.txt;2;quorin_add_test;/work/main/tests/campaign/CMakeLists.txt;0;")
add_test([=[tst_outcomes]=] "/work/main/build-release/tests/campaign/tst_outcomes")
set_tests_properties([=[tst_outcomes]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/campaign/CMakeLists.txt;2;quorin_add_test;/work/main/tests/campaign/CMakeLists.txt;0;")
add_test([=[tst_queue]=] "/work/main/build-release/tests/campaign/tst_queue")
set_tests_properties([=[tst_queue]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/campaign/CMakeLists.txt;2;quorin_add_test;/work/main/tests/campaign/CMakeLists.txt;0;")
add_test([=[tst_groups_loopback]=] "/work/main/build-release/tests/campaign/tst_groups_loopback")
set_tests_properties([=[tst_groups_loopback]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/campaign/CMakeLists.txt;4;quorin_add_test;/work/main/tests/campaign/CMakeLists.txt;0;")
add_test([=[tst_campaign_cycle]=] "/work/main/build-release/tests/campaign/tst_campaign_cycle")
set_tests_properties([=[tst_campaign_cycle]=] PROPERTIES  ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/main/cmake/CommonConfig.cmake;26;add_test;/work/main/tests/campaign/CMakeLists.txt;5;quorin_add_test;/work/main/tests/campaign/CMakeLists.txt;0;")
