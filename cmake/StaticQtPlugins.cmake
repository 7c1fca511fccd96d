# A static toolkit links its plugins into each program and registers them from generated import
# sources that it adds to every target linking Qt5::Gui. Left alone, each static library of ours
# would carry a second copy of those registrations, and no program would get the offscreen
# platform that the headless tests need. So: libraries get none, programs get the Windows and
# offscreen platforms and the native style, and no image format plugin (the logo is a PNG,
# which the toolkit reads without one).

# Collects the targets defined in a directory and below it.
function(_repairtool_collect_targets dir out)
    get_property(targets DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
    foreach(subdir IN LISTS subdirs)
        _repairtool_collect_targets("${subdir}" subtargets)
        list(APPEND targets ${subtargets})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Called once at the end of the top-level list file, when every target exists. Qt adds the plugin
# imports (and qt5_import_plugins) from 5.14 on; an older static toolkit's CMake files import no
# plugin at all, so such a toolkit is refused here, before anything is built.
get_target_property(_repairtoolQtCoreType Qt5::Core TYPE)
if(NOT _repairtoolQtCoreType STREQUAL "STATIC_LIBRARY")
    function(repairtool_import_static_plugins)
        # A shared toolkit loads its plugins at run time, from beside the program.
    endfunction()
elseif(Qt5Core_VERSION VERSION_LESS 5.14)
    message(FATAL_ERROR "Qt ${Qt5Core_VERSION} is a static build older than 5.14, whose CMake files "
        "link no platform plugin into the programs: they would stop at once with \"no Qt platform "
        "plugin\". Build against the shared Qt 5.12 of the Qt installer (MinGW 7.3.0 32-bit or "
        "MSVC 2017 32-bit) and let the install step's windeployqt put the DLLs and "
        "platforms\\qwindows.dll beside the program, or against a static Qt 5.14 or newer.")
else()
    function(repairtool_import_static_plugins)
        _repairtool_collect_targets("${CMAKE_SOURCE_DIR}" targets)
        foreach(target IN LISTS targets)
            get_target_property(type ${target} TYPE)
            if(type STREQUAL "EXECUTABLE")
                qt5_import_plugins(${target}
                    INCLUDE_BY_TYPE platforms Qt5::QWindowsIntegrationPlugin Qt5::QOffscreenIntegrationPlugin
                    EXCLUDE_BY_TYPE imageformats)
            elseif(type MATCHES "^(STATIC|SHARED|MODULE|OBJECT)_LIBRARY$")
                qt5_import_plugins(${target} EXCLUDE_BY_TYPE platforms imageformats styles)
            endif()
        endforeach()
    endfunction()
endif()
