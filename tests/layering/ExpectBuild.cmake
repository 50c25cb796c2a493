# cmake -DBUILD_DIR=... -DCONFIG=... -DTARGET=... -DSOURCE=... -DSOURCE_DIR=...
#       [-DMISSING=<header>] -P ExpectBuild.cmake
#
# Builds TARGET in BUILD_DIR. Without MISSING the build must succeed. With
# MISSING (a header under SOURCE_DIR) the build must fail, and fail because
# SOURCE cannot find that header.

set(build_args --build ${BUILD_DIR} --target ${TARGET})
if(CONFIG)
    list(APPEND build_args --config ${CONFIG})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} ${build_args}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE output)

if(NOT MISSING)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${SOURCE} should compile but does not:\n${output}")
    endif()
    message(STATUS "${SOURCE} compiles, as it should")
    return()
endif()

if(NOT EXISTS ${SOURCE_DIR}/${MISSING})
    message(FATAL_ERROR "${SOURCE_DIR}/${MISSING} does not exist; the probe proves nothing")
endif()
if(result EQUAL 0)
    message(FATAL_ERROR "${SOURCE} compiles, but ${MISSING} should be out of its reach")
endif()
string(FIND "${output}" "${SOURCE}" at_source)
string(FIND "${output}" "${MISSING}" at_header)
string(REGEX MATCH "No such file or directory|file not found|Cannot open include file"
    not_found "${output}")
if(at_source EQUAL -1 OR at_header EQUAL -1 OR NOT not_found)
    message(FATAL_ERROR "${SOURCE} fails to build, but not because ${MISSING} is out of reach:\n${output}")
endif()
message(STATUS "${SOURCE} cannot include ${MISSING}, as it should not")
