# Debian's hardening flags, as dpkg-buildflags gives them to the archive's
# packages with hardening=+all: fortified functions (-D_FORTIFY_SOURCE=2), the
# stack protector, format-string checks, and full RELRO with immediate binding
# (-z relro -z now). Every target gets them, C++ compilation and linking alike.
# Optimisation and debug information stay the build type's: dpkg-buildflags is
# asked to leave out its -g -O2. PIE is GCC's default on Debian; CMake is told
# to keep it, so that no target is ever linked as a fixed-address executable.
# DEB_*_APPEND and DEB_*_STRIP from the environment are honoured as in a
# package build.
find_program(DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)

function(ostrel_dpkg_buildflags variable flag)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                "DEB_${flag}_MAINT_STRIP=-g -O2" ${DPKG_BUILDFLAGS} --get ${flag}
        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    set(${variable} ${flags} PARENT_SCOPE)
endfunction()

ostrel_dpkg_buildflags(ostrel_hardening_cppflags CPPFLAGS)
ostrel_dpkg_buildflags(ostrel_hardening_cxxflags CXXFLAGS)
ostrel_dpkg_buildflags(ostrel_hardening_ldflags LDFLAGS)
message(STATUS "Hardening (dpkg-buildflags): ${ostrel_hardening_cppflags} "
               "${ostrel_hardening_cxxflags} ${ostrel_hardening_ldflags}")

add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:${ostrel_hardening_cppflags}>"
                    "$<$<COMPILE_LANGUAGE:CXX>:${ostrel_hardening_cxxflags}>")
add_link_options(${ostrel_hardening_ldflags})

include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
