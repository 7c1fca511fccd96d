# The Windows programs are released, so two builds of one commit in different folders give the
# same files, byte for byte: no folder of the build machine and no time in them.
# The time stamps inside the embedded resource bundle come from SOURCE_DATE_EPOCH, which rcc reads
# and the build scripts fix.
if(NOT MINGW)
    return()
endif()

# __FILE__ and the like name paths relative to the source and build folders. ccache
# (CCACHE_BASEDIR) hands the compiler paths relative to the build folder instead of absolute
# ones, so that form is mapped as well and a cached build matches an uncached one. GCC before 8
# (Qt 5.12's MinGW 7.3 kit) has no such map.
include(CheckCXXCompilerFlag)
check_cxx_compiler_flag(-ffile-prefix-map=/a=/b REPAIRTOOL_HAS_FILE_PREFIX_MAP)
if(REPAIRTOOL_HAS_FILE_PREFIX_MAP)
    set(prefixes "${CMAKE_SOURCE_DIR}" "${CMAKE_BINARY_DIR}")
    file(RELATIVE_PATH sourceFromBuild "${CMAKE_BINARY_DIR}" "${CMAKE_SOURCE_DIR}")
    if(sourceFromBuild)
        list(APPEND prefixes "${sourceFromBuild}")
    endif()
    # The compiler tries the last map first: the build folder before the source folder around it.
    foreach(prefix IN LISTS prefixes)
        add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${prefix}/=>")
    endforeach()
else()
    message(STATUS "${CMAKE_CXX_COMPILER} maps no source paths: the programs may name the build folders")
endif()

# No link time in the PE header.
add_link_options(-Wl,--no-insert-timestamp)

# Static libraries without their members' times, owners and modes.
foreach(lang CXX RC)
    set(CMAKE_${lang}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
    set(CMAKE_${lang}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
    set(CMAKE_${lang}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
endforeach()
