# JUCE's module sources are compiled exactly once, into meltrow_juce. Everything else links
# that library and receives the modules' include paths and definitions from it.
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
