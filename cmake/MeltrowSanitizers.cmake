# One switch for a sanitizer build: -DMELTROW_SANITIZE=ON (use with CMAKE_BUILD_TYPE=Debug).
if (MELTROW_SANITIZE)
    add_compile_options (-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options (-fsanitize=address,undefined)
endif()
