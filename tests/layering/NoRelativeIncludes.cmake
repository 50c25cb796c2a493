# cmake -DSOURCE_DIR=<src> -P NoRelativeIncludes.cmake
#
# Fails if a file under SOURCE_DIR includes a path starting with "../": such an
# include is resolved next to the including file and so escapes the per-layer
# include directories (see src/CMakeLists.txt).

file(GLOB_RECURSE files ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
set(found "")
foreach(file ${files})
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]\\.\\./")
    foreach(line ${lines})
        string(APPEND found "\n  ${file}: ${line}")
    endforeach()
endforeach()
if(found)
    message(FATAL_ERROR "Relative includes bypass the layer order:${found}")
endif()
message(STATUS "No relative includes under ${SOURCE_DIR}")
