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

# Called once at the end of the top-level list file, when every target exists.
function(repairtool_import_static_plugins)
    get_target_property(qtCoreType Qt5::Core TYPE)
    if(NOT qtCoreType STREQUAL "STATIC_LIBRARY")
        return()
    endif()
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
