# Makes the TGZ package into WORK_DIR, unpacks it and starts the log reader from it.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/unpacked")

execute_process(COMMAND "${CPACK_COMMAND}" -G TGZ --config "${CPACK_CONFIG}" -B "${WORK_DIR}"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
set(archive "${WORK_DIR}/${PACKAGE_NAME}.tar.gz")
if(NOT result EQUAL 0 OR NOT EXISTS "${archive}")
    message(FATAL_ERROR "cpack made no ${archive}:\n${output}")
endif()

execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xzf "${archive}"
    WORKING_DIRECTORY "${WORK_DIR}/unpacked" RESULT_VARIABLE result)
set(root "${WORK_DIR}/unpacked/${PACKAGE_NAME}")
foreach(program KormandRepairTool repairlog)
    if(NOT result EQUAL 0 OR NOT EXISTS "${root}/bin/${program}")
        message(FATAL_ERROR "the package holds no bin/${program}")
    endif()
endforeach()

execute_process(COMMAND "${root}/bin/repairlog" --version
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT output STREQUAL "repairlog ${VERSION}\n")
    message(FATAL_ERROR "the packaged repairlog did not run: ${result}\n${output}")
endif()
