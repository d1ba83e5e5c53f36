# One INTERFACE target carries the language level, warnings and definitions that every
# target of the project links.
add_library(morvalex_common INTERFACE)
target_compile_features(morvalex_common INTERFACE cxx_std_20)
target_compile_options(morvalex_common INTERFACE -Wall -Wextra -Wshadow -Wconversion -Wold-style-cast
                                                 -Wnon-virtual-dtor -Wcast-qual -pedantic)
# MORVALEX_WERROR=ON turns every warning into an error (CI builds with it).
option(MORVALEX_WERROR "Treat warnings as errors" OFF)
if(MORVALEX_WERROR)
  target_compile_options(morvalex_common INTERFACE -Werror)
endif()
target_compile_definitions(morvalex_common INTERFACE
  MORVALEX_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
  MORVALEX_VERSION_MINOR=${PROJECT_VERSION_MINOR}
  MORVALEX_BUILD_NUMBER=${PROJECT_VERSION_TWEAK})
target_include_directories(morvalex_common INTERFACE ${PROJECT_SOURCE_DIR})

# MORVALEX_SANITIZE=ON builds everything with AddressSanitizer (leak checking included)
# and UndefinedBehaviorSanitizer; CI runs the whole suite under it.
option(MORVALEX_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(MORVALEX_SANITIZE)
  target_compile_options(morvalex_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                   -fno-sanitize-recover=undefined)
  target_link_options(morvalex_common INTERFACE -fsanitize=address,undefined)
endif()

# Turns off the implicit const char* -> QString conversions in the named targets' own
# sources, so every text states its encoding (QStringLiteral, QLatin1String, fromUtf8).
function(morvalex_explicit_strings)
  foreach(_target IN LISTS ARGN)
    target_compile_definitions(${_target} PRIVATE QT_NO_CAST_FROM_ASCII)
  endforeach()
endfunction()
