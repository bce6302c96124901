# Source files are sorted by their name, so that adding a file needs no edit here:
#   Foo.cpp        window-free code, built on every target
#   Foo_win.cpp    Win32 code (windows, GDI, the Win32 side of the platform seam)
#   Foo_posix.cpp  the POSIX side of the platform seam, built natively only
#
# qn_glob(<out-var> <portable|win|posix> <folder>...) lists the files of one kind.
function(qn_glob out kind)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
    foreach(file IN LISTS files)
      get_filename_component(name ${file} NAME_WE)
      if(name MATCHES "_win$")
        set(fileKind win)
      elseif(name MATCHES "_posix$")
        set(fileKind posix)
      else()
        set(fileKind portable)
      endif()
      if(fileKind STREQUAL kind)
        list(APPEND result ${file})
      endif()
    endforeach()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# The sources of one target on this platform: the portable files plus those of
# this platform's side.
function(qn_platform_sources out)
  qn_glob(portable portable ${ARGN})
  if(WIN32)
    qn_glob(own win ${ARGN})
  else()
    qn_glob(own posix ${ARGN})
  endif()
  set(${out} ${portable} ${own} PARENT_SCOPE)
endfunction()

# The targets among the arguments that this tree defines: tests, fuzzers and
# benchmarks link whichever of the libraries exist.
function(qn_existing_targets out)
  set(result)
  foreach(target IN LISTS ARGN)
    if(TARGET ${target})
      list(APPEND result ${target})
    endif()
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Warnings and code generation of the library itself: plain records and free
# functions, no exceptions, no RTTI, no warning left standing.
function(qn_library_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -fno-exceptions -fno-rtti)
endfunction()
