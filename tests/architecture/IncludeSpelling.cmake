# Every include of a project header names its library's folder from src/
# ("core/Logger.h"), so that the compiler finds it only through the include
# folders of the libraries linked. The compiler looks beside the including
# file first: "ui/MainWindow.h" written in core/, or "../x/Y.h", would pass
# by the map. Lists each such include and fails.
file(GLOB_RECURSE files ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp)
set(bypasses "")
foreach(file ${files})
    get_filename_component(dir ${file} DIRECTORY)
    file(STRINGS ${file} includes REGEX "^#include \"")
    foreach(line ${includes})
        string(REGEX REPLACE "^#include \"([^\"]*)\".*" "\\1" header "${line}")
        if(EXISTS ${dir}/${header})
            list(APPEND bypasses "${file}: ${header}")
        endif()
    endforeach()
endforeach()
if(bypasses)
    list(JOIN bypasses "\n" text)
    message(FATAL_ERROR "Includes found beside the including file, not through a linked library:\n${text}")
endif()
