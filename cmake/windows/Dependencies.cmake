# The third-party libraries of the Windows build, from the prefix tools/windows-deps.sh builds
# (QUILLAN_WINDOWS_DEPS), under the target names the native build gets from Debian's packages, so
# that every library's CMake file links the same names on both systems.
set(QUILLAN_WINDOWS_DEPS "" CACHE PATH "The prefix tools/windows-deps.sh prints")
if(NOT EXISTS "${QUILLAN_WINDOWS_DEPS}/.complete")
  message(FATAL_ERROR "The Windows build needs -DQUILLAN_WINDOWS_DEPS=<the prefix tools/windows-deps.sh prints>")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH ${QUILLAN_WINDOWS_DEPS})
list(APPEND CMAKE_PREFIX_PATH ${QUILLAN_WINDOWS_DEPS})

# Debian's MinGW zlib (libz-mingw-w64-dev), static; libzip's package file asks for it.
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)
find_package(CURL CONFIG REQUIRED)
find_package(libzip CONFIG REQUIRED)
find_package(pugixml CONFIG REQUIRED)
find_package(SQLite3 REQUIRED)
find_library(QUILLAN_FREEXL_LIBRARY freexl REQUIRED)
find_library(QUILLAN_ICONV_LIBRARY iconv REQUIRED) # our shim, cmake/windows/iconv

add_library(PkgConfig::LIBZIP INTERFACE IMPORTED GLOBAL)
target_link_libraries(PkgConfig::LIBZIP INTERFACE libzip::zip)
add_library(PkgConfig::FREEXL INTERFACE IMPORTED GLOBAL)
target_link_libraries(PkgConfig::FREEXL INTERFACE ${QUILLAN_FREEXL_LIBRARY} ${QUILLAN_ICONV_LIBRARY})

# The iconv shim on its own, for its tests.
add_library(Quillan::IconvShim STATIC IMPORTED GLOBAL)
set_target_properties(Quillan::IconvShim PROPERTIES IMPORTED_LOCATION ${QUILLAN_ICONV_LIBRARY}
                      INTERFACE_INCLUDE_DIRECTORIES ${QUILLAN_WINDOWS_DEPS}/include)
