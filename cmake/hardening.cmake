# The hardening Debian builds its packages with (dpkg-buildflags with
# hardening=+all): checked buffer functions, stack protection, read-only
# relocations bound at start. The sanitizer and fuzzing builds go without:
# their own checks go further, and _FORTIFY_SOURCE would get in their way.
#
# For Windows (mingw-w64) the same as far as it means anything there: the
# stack protector is given at link time too (it needs libssp), the MinGW
# compiler crashes on -fstack-clash-protection, and relro and now are ELF's.
include(CheckCXXCompilerFlag)
if(NOT KENNFIX_SANITIZE AND NOT KENNFIX_FUZZ)
  # _FORTIFY_SOURCE needs optimisation; a compiler may define it already.
  add_compile_options(
    $<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE>
    $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>
    -fstack-protector-strong)
  if(WIN32)
    add_link_options(-fstack-protector-strong)
    return()
  endif()
  foreach(flag IN ITEMS -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "KENNFIX_HAS${flag}" supported)
    check_cxx_compiler_flag(${flag} ${supported})
    if(${supported})
      add_compile_options(${flag})
    endif()
  endforeach()
  add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
