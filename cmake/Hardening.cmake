# Debian's hardening flags: fortified libc calls, stack protector, position-independent executables
# and a read-only relocation table bound at start-up. Off under the sanitizers and the fuzzers, which
# bring their own instrumentation.
include(CheckPIESupported)

option(ZUM_HARDENING "Build with Debian's hardening flags" ON)
if(ZUM_SANITIZE OR ZUM_FUZZ)
  set(ZUM_HARDENING OFF)
endif()

if(ZUM_HARDENING)
  check_pie_supported()
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  # _FORTIFY_SOURCE needs the optimiser; a Debug build would only be warned about it.
  target_compile_definitions(zum_options INTERFACE $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  target_compile_options(zum_options INTERFACE -fstack-protector-strong)
  target_link_options(zum_options INTERFACE LINKER:-z,relro LINKER:-z,now)
endif()
