# Third-party libraries, all from Debian packages (scripts/install-deps installs them).
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets Test)
find_package(JPEG REQUIRED)
find_package(SDL2 REQUIRED CONFIG)
find_package(SDL2_mixer REQUIRED CONFIG)

# libuemf ships neither pkg-config nor a CMake config file.
find_path(UEMF_INCLUDE_DIR uwmf.h REQUIRED)
find_library(UEMF_LIBRARY uemf REQUIRED)
add_library(uemf::uemf UNKNOWN IMPORTED)
set_target_properties(uemf::uemf PROPERTIES
  IMPORTED_LOCATION "${UEMF_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${UEMF_INCLUDE_DIR}")

if(ZUM_BUILD_TESTS)
  find_package(GTest REQUIRED)
  # The include check and its own tests are Python scripts.
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
endif()
if(ZUM_BUILD_BENCH)
  find_package(benchmark REQUIRED)
endif()
