# Windows looks for a DLL that is not one of its KnownDLLs in the program's own folder first. The
# tool is unpacked and started elevated from wherever the user put it (Downloads, mostly), so each
# DLL of that kind that the program imports would let a file planted beside it run as
# administrator. The system DLLs below are delay-loaded instead: they load at their first use,
# after main has restricted the search to System32 (platform/process/dllsearch.h). Every program
# of the project gets them delay-loaded.
set(REPAIRTOOL_DELAY_LOADED_DLLS dwmapi netapi32 userenv uxtheme version winmm wtsapi32)

# MSVC: /DELAYLOAD, and /DEPENDENTLOADFLAG so that even those loads look in System32 alone.
# MinGW-w64 against a static toolkit: GNU ld has neither, so each DLL gets a delay-import library
# made by dlltool from the functions its import library names, put in the import library's place
# wherever the toolkit's targets name it; the delay-load helper comes from the runtime
# (libmingwex). A shared toolkit's own DLLs import them themselves, out of reach of the program.
function(repairtool_delay_load_system_dlls)
    if(MSVC)
        foreach(dll IN LISTS REPAIRTOOL_DELAY_LOADED_DLLS)
            add_link_options(/DELAYLOAD:${dll}.dll)
        endforeach()
        add_link_options(/DEPENDENTLOADFLAG:0x800)
        link_libraries(delayimp)
        return()
    endif()
    get_target_property(qtCoreType Qt5::Core TYPE)
    if(NOT MINGW OR NOT qtCoreType STREQUAL "STATIC_LIBRARY")
        return()
    endif()

    if(NOT CMAKE_NM OR NOT CMAKE_DLLTOOL)
        message(FATAL_ERROR "Delay-loading the system DLLs needs nm and dlltool beside the compiler")
    endif()
    set(dir ${CMAKE_BINARY_DIR}/delayload)
    file(MAKE_DIRECTORY ${dir})
    set(replacements "")
    set(delayLibraries "")
    foreach(dll IN LISTS REPAIRTOOL_DELAY_LOADED_DLLS)
        find_library(REPAIRTOOL_IMPORT_LIBRARY_${dll} NAMES lib${dll}.a)
        set(importLibrary ${REPAIRTOOL_IMPORT_LIBRARY_${dll}})
        execute_process(COMMAND ${CMAKE_NM} ${importLibrary} OUTPUT_VARIABLE symbols
            RESULT_VARIABLE failed)
        if(failed OR NOT importLibrary)
            message(FATAL_ERROR "No import library for ${dll}.dll (${importLibrary})")
        endif()
        # "__imp_Name" on x86-64, "__imp__Name@N" (stdcall) on x86, where the DLL exports "Name".
        string(REGEX MATCHALL "I __imp_[^\n]+" imports "${symbols}")
        set(definition "LIBRARY ${dll}.dll\nEXPORTS\n")
        foreach(import IN LISTS imports)
            string(REGEX REPLACE "^I __imp_" "" name "${import}")
            # The toolkit calls through the "__imp_" slots alone. GNU ld then drops the stubs that
            # the slots start out pointing at, leaving the slots empty (a call through one jumps to
            # address 0, as the 32-bit program did under Wine): asking for each stub keeps it.
            add_link_options("LINKER:--undefined=${name}")
            if(CMAKE_SIZEOF_VOID_P EQUAL 4)
                string(REGEX REPLACE "^_" "" name "${name}")
            endif()
            string(APPEND definition "${name}\n")
        endforeach()
        file(WRITE ${dir}/${dll}.def "${definition}")
        set(delayLibrary ${dir}/lib${dll}-delay.a)
        set(killAt "")
        if(CMAKE_SIZEOF_VOID_P EQUAL 4)
            set(killAt -k)
        endif()
        # Relative names: dlltool names its symbols after them, the same in every build folder.
        execute_process(COMMAND ${CMAKE_DLLTOOL} ${killAt} -d ${dll}.def -y lib${dll}-delay.a
            -D ${dll}.dll WORKING_DIRECTORY ${dir} RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "dlltool made no delay-import library for ${dll}.dll")
        endif()
        list(APPEND replacements "${importLibrary}" "${delayLibrary}")
        list(APPEND delayLibraries ${delayLibrary})
    endforeach()
    # For the tests, which link a program the same way without the toolkit.
    set(REPAIRTOOL_DELAY_IMPORT_LIBRARIES ${delayLibraries} PARENT_SCOPE)

    # The toolkit's modules, plugins and support libraries, each named in another's link interface.
    set(pending Qt5::Core Qt5::Gui Qt5::Widgets ${Qt5Gui_PLUGINS} ${Qt5Widgets_PLUGINS})
    set(seen "")
    while(pending)
        list(POP_FRONT pending target)
        if(target IN_LIST seen OR NOT TARGET ${target})
            continue()
        endif()
        list(APPEND seen ${target})
        get_target_property(libraries ${target} INTERFACE_LINK_LIBRARIES)
        if(NOT libraries)
            continue()
        endif()
        set(from ${replacements})
        while(from)
            list(POP_FRONT from importLibrary delayLibrary)
            string(REPLACE "${importLibrary}" "${delayLibrary}" libraries "${libraries}")
        endwhile()
        set_property(TARGET ${target} PROPERTY INTERFACE_LINK_LIBRARIES "${libraries}")
        string(REGEX MATCHALL "Qt5::[A-Za-z0-9_]+" named "${libraries}")
        list(APPEND pending ${named})
    endwhile()
endfunction()
