# Compiler settings shared by every target of the project.
add_library(quorin_common INTERFACE)
target_compile_features(quorin_common INTERFACE cxx_std_20)
target_compile_definitions(quorin_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_KEYWORDS
    QUORIN_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
    QUORIN_VERSION_MINOR=${PROJECT_VERSION_MINOR}
    QUORIN_VERSION_PATCH=${PROJECT_VERSION_PATCH})
if(MSVC)
    target_compile_options(quorin_common INTERFACE /W4 /utf-8)
else()
    target_compile_options(quorin_common INTERFACE -Wall -Wextra -Wpedantic)
endif()

# The whole project and its tests under AddressSanitizer and
# UndefinedBehaviorSanitizer (a build folder of its own, e.g. build-asan).
# Qt itself is not instrumented; the suite needs no suppression.
option(QUORIN_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(QUORIN_SANITIZE AND NOT MSVC)
    set(QUORIN_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_compile_options(quorin_common INTERFACE ${QUORIN_SANITIZER_FLAGS})
    target_link_options(quorin_common INTERFACE ${QUORIN_SANITIZER_FLAGS})
    # Appended to each test's environment (a list, hence the leading ";").
    set(QUORIN_TEST_ENVIRONMENT ";UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endif()

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

# Adds a QtTest executable as one CTest case. Tests never need a display.
function(quorin_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE quorin_common Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen${QUORIN_TEST_ENVIRONMENT}"
        TIMEOUT 120)
endfunction()
