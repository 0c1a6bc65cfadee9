# libpng with zlib, libqrencode and libsodium as imported targets.
# Natively they come from Debian's -dev packages; for Windows they are the
# static libraries that tools/build-mingw-deps.sh cross-builds into a cache.
if(WIN32 AND CMAKE_CROSSCOMPILING)
  if(NOT KESTRIX_DEPS_PREFIX)
    if(DEFINED ENV{KESTRIX_DEPS_PREFIX})
      set(KESTRIX_DEPS_PREFIX "$ENV{KESTRIX_DEPS_PREFIX}")
    else()
      set(KESTRIX_DEPS_PREFIX "$ENV{HOME}/.cache/kestrix/mingw-w64")
    endif()
  endif()
  set(KESTRIX_DEPS_PREFIX "${KESTRIX_DEPS_PREFIX}" CACHE PATH "Prefix of the cross-built dependencies")
  list(PREPEND CMAKE_FIND_ROOT_PATH "${KESTRIX_DEPS_PREFIX}")
  set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
endif()

function(kestrix_import name header library)
  find_path(${name}_INCLUDE_DIR ${header} REQUIRED)
  find_library(${name}_LIBRARY NAMES ${library} REQUIRED)
  add_library(kestrix::${name} UNKNOWN IMPORTED GLOBAL)
  set_target_properties(kestrix::${name} PROPERTIES
    IMPORTED_LOCATION "${${name}_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${${name}_INCLUDE_DIR}")
endfunction()

kestrix_import(zlib zlib.h z)
kestrix_import(png png.h png16)
kestrix_import(qrencode qrencode.h qrencode)
kestrix_import(sodium sodium.h sodium)
if(WIN32)
  set_property(TARGET kestrix::sodium APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS SODIUM_STATIC)
endif()
set_property(TARGET kestrix::png APPEND PROPERTY INTERFACE_LINK_LIBRARIES kestrix::zlib)
