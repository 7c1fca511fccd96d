# Makes the TGZ package into WORK_DIR, unpacks it and checks what a release holds: the three programs
# stripped, the README and the pages of docs/ with every page and picture they link, and a log
# reader and a log viewer that start.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/unpacked")

execute_process(COMMAND "${CPACK_COMMAND}" -G TGZ --config "${CPACK_CONFIG}" -B "${WORK_DIR}"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
set(archive "${WORK_DIR}/${PACKAGE_NAME}.tar.gz")

if(NOT BUILD_TYPE MATCHES "^(Release|MinSizeRel)$")
    # Only a release is packaged; anything else must be refused with the way to make one.
    if(result EQUAL 0 OR EXISTS "${archive}" OR NOT output MATCHES "CMAKE_BUILD_TYPE=Release")
        message(FATAL_ERROR "cpack did not refuse a '${BUILD_TYPE}' build: ${result}\n${output}")
    endif()
    return()
endif()

if(NOT result EQUAL 0 OR NOT EXISTS "${archive}")
    message(FATAL_ERROR "cpack made no ${archive}:\n${output}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xzf "${archive}"
    WORKING_DIRECTORY "${WORK_DIR}/unpacked" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot unpack ${archive}")
endif()
set(root "${WORK_DIR}/unpacked/${PACKAGE_NAME}")

foreach(program KormandRepairTool repairlog KormandLogViewer)
    if(NOT EXISTS "${root}/bin/${program}")
        message(FATAL_ERROR "the package holds no bin/${program}")
    endif()
    # A stripped program keeps neither its symbol table nor any debug section.
    execute_process(COMMAND "${READELF}" -S -W "${root}/bin/${program}"
        RESULT_VARIABLE result OUTPUT_VARIABLE sections ERROR_VARIABLE sections)
    if(NOT result EQUAL 0 OR NOT sections MATCHES " \\.text ")
        message(FATAL_ERROR "${READELF} cannot read bin/${program}: ${result}\n${sections}")
    endif()
    if(sections MATCHES " \\.(symtab|debug_[a-z]+) ")
        message(FATAL_ERROR "bin/${program} in the package is not stripped: it has ${CMAKE_MATCH_0}")
    endif()
endforeach()

# Every page and picture that the packaged README and its pages link is there, where the link
# points.
set(docDir "${root}/share/doc/KormandRepairTool")
file(GLOB pages "${docDir}/docs/*.md")
set(linkCount 0)
foreach(page "${docDir}/README.md" ${pages})
    if(NOT EXISTS "${page}")
        message(FATAL_ERROR "the package holds no ${page}")
    endif()
    file(READ "${page}" text)
    get_filename_component(pageDir "${page}" DIRECTORY)
    # Matched without the link's "]": CMake's lists do not split inside unbalanced brackets.
    string(REGEX MATCHALL "\\([^][():#; ]+\\.(md|png)[)#]" links "${text}")
    foreach(link IN LISTS links)
        string(REGEX REPLACE "^\\((.*).$" "\\1" target "${link}")
        if(NOT EXISTS "${pageDir}/${target}")
            file(RELATIVE_PATH name "${docDir}" "${page}")
            message(FATAL_ERROR "the package lacks ${target}, which its ${name} links")
        endif()
        math(EXPR linkCount "${linkCount} + 1")
    endforeach()
endforeach()
if(NOT pages OR linkCount EQUAL 0)
    message(FATAL_ERROR "the packaged README links no pages or pictures in docs/")
endif()

execute_process(COMMAND "${root}/bin/repairlog" --version
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0 OR NOT output STREQUAL "repairlog ${VERSION}\n")
    message(FATAL_ERROR "the packaged repairlog did not run: ${result}\n${output}")
endif()

# The viewer is a window; without a display it starts on the offscreen platform.
execute_process(COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen
    "${root}/bin/KormandLogViewer" --version
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR NOT output STREQUAL "KormandLogViewer ${VERSION}\n")
    message(FATAL_ERROR "the packaged KormandLogViewer did not run: ${result}\n${output}${errors}")
endif()
