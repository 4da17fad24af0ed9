# JUCE's module sources are compiled exactly once, into meltrow_juce. Everything else links
# that library and receives the modules' include paths and definitions from it.
# Fixes of JUCE's own sources, carried as patch files in cmake/patches the way distributions
# carry them. Each applies to a copy of its module in the build folder, whose sources are then
# compiled in place of the installed ones; the installed headers stay in use (the patches change
# no header). The copy is made anew when a patch or the installed module changes.
function (meltrow_patch_juce_module module)
    get_target_property (modules_folder ${module} INTERFACE_JUCE_MODULE_PATH)
    set (patched_folder "${CMAKE_BINARY_DIR}/juce-patched")
    set (stamp_file "${patched_folder}/${module}.stamp")

    set (stamp "${JUCE_VERSION}")
    foreach (patch IN LISTS ARGN)
        file (SHA256 "${patch}" patch_hash)
        string (APPEND stamp " ${patch_hash}")
        set_property (DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${patch}")
    endforeach()

    set (old_stamp "")
    if (EXISTS "${stamp_file}")
        file (READ "${stamp_file}" old_stamp)
    endif()

    if (NOT old_stamp STREQUAL stamp OR NOT EXISTS "${patched_folder}/${module}")
        file (REMOVE_RECURSE "${patched_folder}/${module}" "${stamp_file}")
        file (COPY "${modules_folder}/${module}" DESTINATION "${patched_folder}")

        foreach (patch IN LISTS ARGN)
            execute_process (COMMAND patch -p1 --forward --batch --silent -i "${patch}"
                WORKING_DIRECTORY "${patched_folder}"
                RESULT_VARIABLE failed)
            if (failed)
                message (FATAL_ERROR "${patch} does not apply to ${modules_folder}/${module}")
            endif()
        endforeach()

        file (WRITE "${stamp_file}" "${stamp}")
    endif()

    get_target_property (sources ${module} INTERFACE_SOURCES)
    set (patched_sources "")
    foreach (source IN LISTS sources)
        string (REPLACE "${modules_folder}/${module}/" "${patched_folder}/${module}/" source "${source}")
        list (APPEND patched_sources "${source}")
    endforeach()
    set_property (TARGET ${module} PROPERTY INTERFACE_SOURCES "${patched_sources}")
endfunction()

meltrow_patch_juce_module (juce_gui_basics
    "${CMAKE_CURRENT_LIST_DIR}/patches/juce-texteditor-visible-highlight.patch")

add_library (meltrow_juce STATIC)

target_link_libraries (meltrow_juce
    PRIVATE
        juce::juce_core
        juce::juce_events
        juce::juce_data_structures
        juce::juce_graphics
        juce::juce_gui_basics
    PUBLIC
        juce::juce_recommended_config_flags
        juce::pkgconfig_JUCE_IMG_LINUX_DEPS)

target_compile_definitions (meltrow_juce
    PUBLIC
        JUCE_WEB_BROWSER=0
        JUCE_USE_CURL=0
        JUCE_MODAL_LOOPS_PERMITTED=1
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_REPORT_APP_USAGE=0
        JUCE_STRICT_REFCOUNTEDPOINTER=1
        JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
        JUCE_STANDALONE_APPLICATION=1)

# Hand the modules' include folders and definitions on to our own targets without handing
# on their sources.
target_include_directories (meltrow_juce
    INTERFACE $<TARGET_PROPERTY:meltrow_juce,INCLUDE_DIRECTORIES>)
target_compile_definitions (meltrow_juce
    INTERFACE $<TARGET_PROPERTY:meltrow_juce,COMPILE_DEFINITIONS>)

set_target_properties (meltrow_juce PROPERTIES
    JUCE_NEEDS_CURL FALSE
    JUCE_NEEDS_WEB_BROWSER FALSE)
