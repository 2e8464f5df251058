# Each library's own include folder. Sources write "folder/Header.h" as seen
# from src/, but src/ is nobody's include folder: each library gets a folder
# of its own in the build tree, holding one forwarding header for each of its
# headers, and a target sees only the folders of the libraries it links (and
# their PUBLIC links). An include of a library not linked is then "No such
# file" at compile time. Forwarding headers rather than symbolic links (not
# there on Windows without rights) or a move of every header (a second
# folder per library): plain files that work everywhere, and no header moves.

# quorin_library_headers(<target> [<header>...]): <target> exports the listed
# headers of the current source folder; with none listed, every header of the
# folder that no other library of the folder listed before.
function(quorin_library_headers target)
    file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
    get_directory_property(listed QUORIN_LISTED_HEADERS)
    get_directory_property(rest QUORIN_REST_OF_HEADERS)
    if(ARGN AND rest)
        message(FATAL_ERROR "${target}: list its headers before ${rest} takes the rest of the folder")
    elseif(ARGN)
        set(headers ${ARGN})
        set_property(DIRECTORY APPEND PROPERTY QUORIN_LISTED_HEADERS ${ARGN})
    else()
        file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} *.h)
        if(listed)
            list(REMOVE_ITEM headers ${listed})
        endif()
        set_directory_properties(PROPERTIES QUORIN_REST_OF_HEADERS ${target})
    endif()
    set(include_dir ${PROJECT_BINARY_DIR}/include/${target})
    # Written only when changed, so that a configure rebuilds nothing.
    set(forwards "")
    foreach(header ${headers})
        set(forward ${include_dir}/${folder}/${header})
        file(CONFIGURE OUTPUT ${forward} CONTENT "#include \"${CMAKE_CURRENT_SOURCE_DIR}/${header}\"\n" @ONLY)
        list(APPEND forwards ${forward})
    endforeach()
    # A header moved to another library or deleted leaves no forward behind.
    file(GLOB_RECURSE stale ${include_dir}/*)
    if(forwards)
        list(REMOVE_ITEM stale ${forwards})
    endif()
    if(stale)
        file(REMOVE ${stale})
    endif()
    target_include_directories(${target} PUBLIC ${include_dir})
endfunction()
