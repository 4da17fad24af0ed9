# One switch for a sanitizer build: -DMELTROW_SANITIZE=ON (use with CMAKE_BUILD_TYPE=Debug).
# JUCE's modules are compiled with the same flags, so that faults inside the framework (its
# image effects, say) are found too. Nothing recovers: the first finding ends the program, so a
# test under ctest fails on it. GCC leaves float-to-int overflow out of "undefined".
#
# -DMELTROW_SANITIZE_THREAD=ON builds with ThreadSanitizer instead; it cannot be combined with
# AddressSanitizer. In the test programs its first report ends them too (their default options).
if (MELTROW_SANITIZE AND MELTROW_SANITIZE_THREAD)
    message (FATAL_ERROR "MELTROW_SANITIZE and MELTROW_SANITIZE_THREAD cannot be combined")
endif()

if (MELTROW_SANITIZE)
    set (MELTROW_SANITIZER_FLAGS -fsanitize=address,undefined,float-cast-overflow)
    add_compile_options (${MELTROW_SANITIZER_FLAGS} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options (${MELTROW_SANITIZER_FLAGS})
endif()

if (MELTROW_SANITIZE_THREAD)
    set (MELTROW_SANITIZER_FLAGS -fsanitize=thread)
    add_compile_options (${MELTROW_SANITIZER_FLAGS} -fno-omit-frame-pointer)
    add_link_options (${MELTROW_SANITIZER_FLAGS})
endif()
