# The warnings every build of Quillan's own code uses (the native build and the Windows cross build);
# with QUILLAN_WERROR they are errors.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
                    -Woverloaded-virtual -Wformat=2)
if(QUILLAN_WERROR)
  add_compile_options(-Werror)
endif()
# GCC 12 reports a bogus -Wrestrict inside libstdc++ for "literal" + std::string&& at -O3
# (a known compiler fault); the warning stays visible everywhere else.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  add_compile_options(-Wno-restrict)
endif()
