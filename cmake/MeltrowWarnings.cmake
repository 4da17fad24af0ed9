# Our own targets build warning-free with these; JUCE's sources get no extra flags.
function (meltrow_set_warnings target)
    target_compile_options (${target} PRIVATE -Wall -Wextra)
    target_link_libraries (${target} PRIVATE juce::juce_recommended_warning_flags)
endfunction()
