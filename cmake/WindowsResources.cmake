# Windows programs carry resources compiled from .rc scripts.
if(WIN32)
    enable_language(RC)
endif()

# The shipped manifest names the 32-bit architecture ("x86"), and Windows refuses to start a 64-bit
# program whose manifest names another one. A 64-bit build (the one the tests run under Wine)
# therefore compiles the program's resource script with a copy of the manifest naming "amd64",
# found first on the resource compiler's include path; the script itself stays as it is.
#   repairtool_match_manifest_architecture(<target> <rc file> <manifest file>)
# Sets the target's property REPAIRTOOL_MANIFEST to the manifest actually compiled in.
function(repairtool_match_manifest_architecture target rc manifest)
    set_target_properties(${target} PROPERTIES REPAIRTOOL_MANIFEST "${manifest}")
    if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
        return()
    endif()
    set(shipped [[processorArchitecture="x86"]])
    file(READ "${manifest}" content)
    string(FIND "${content}" "${shipped}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "${manifest} names no ${shipped}")
    endif()
    string(REPLACE "${shipped}" [[processorArchitecture="amd64"]] content "${content}")
    get_filename_component(name "${manifest}" NAME)
    set(dir "${CMAKE_CURRENT_BINARY_DIR}/${target}-amd64")
    file(CONFIGURE OUTPUT "${dir}/${name}" CONTENT "${content}" @ONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${manifest}")
    set_property(SOURCE "${rc}" APPEND PROPERTY INCLUDE_DIRECTORIES "${dir}")
    set_property(SOURCE "${rc}" APPEND PROPERTY OBJECT_DEPENDS "${dir}/${name}")
    set_target_properties(${target} PROPERTIES REPAIRTOOL_MANIFEST "${dir}/${name}")
endfunction()

# Gives a Windows program its version resource (ui/versioninfo.rc.in): maker, product and the
# project's version, with the program's own description and file name.
#   repairtool_add_version_resource(<target> <description>)
# Sets the target's property REPAIRTOOL_FILE_DESCRIPTION to the description.
function(repairtool_add_version_resource target description)
    set(numbers ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH}
        ${PROJECT_VERSION_TWEAK} 0 0 0)
    list(SUBLIST numbers 0 4 numbers)
    list(JOIN numbers "," REPAIRTOOL_VERSION_NUMBERS)
    set(REPAIRTOOL_FILE_DESCRIPTION "${description}")
    set(REPAIRTOOL_INTERNAL_NAME "${target}")
    set(REPAIRTOOL_ORIGINAL_FILENAME "${target}${CMAKE_EXECUTABLE_SUFFIX}")
    set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc")
    configure_file("${PROJECT_SOURCE_DIR}/ui/versioninfo.rc.in" "${rc}" @ONLY)
    target_sources(${target} PRIVATE "${rc}")
    set_target_properties(${target} PROPERTIES REPAIRTOOL_FILE_DESCRIPTION "${description}")
endfunction()
