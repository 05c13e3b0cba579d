# One INTERFACE target that carries the warning flags; every target links it.
add_library(talvoro_warnings INTERFACE)
target_compile_options(talvoro_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                       -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
                       -Wnull-dereference -Wimplicit-fallthrough)
if(TALVORO_WERROR)
  target_compile_options(talvoro_warnings INTERFACE -Werror)
endif()
