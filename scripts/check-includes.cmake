# Fails when a file includes a header from a room above its own. Rooms, lowest first; a room may
# include its own headers and those of the rooms below it, never those above.
#   cmake -DSOURCE_DIR=<repository>/src -P scripts/check-includes.cmake
set(rooms common acquisition settings logfile widgets charting history recording mqtt shell app
    recorder)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "check-includes: pass -DSOURCE_DIR=<repository>/src")
endif()

get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
set(faults 0)
foreach(file IN LISTS files)
    string(REGEX MATCH "^[^/]+" room "${file}")
    list(FIND rooms "${room}" rank)
    if(rank EQUAL -1)
        message(SEND_ERROR "check-includes: src/${file} lies in no known room (${rooms})")
        math(EXPR faults "${faults} + 1")
        continue()
    endif()
    file(STRINGS "${SOURCE_DIR}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^/\"]+/")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^/\"]+)/.*" "\\1" target "${line}")
        list(FIND rooms "${target}" targetRank)
        if(targetRank GREATER rank)
            message(SEND_ERROR "check-includes: src/${file} (${room}) includes ${target}, "
                               "a room above it: ${line}")
            math(EXPR faults "${faults} + 1")
        endif()
    endforeach()
endforeach()

list(LENGTH files count)
if(faults GREATER 0)
    message(FATAL_ERROR "check-includes: ${faults} include(s) run upward")
endif()
message(STATUS "check-includes: ${count} files, every include runs downward")
