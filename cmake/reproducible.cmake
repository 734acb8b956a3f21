# Reproducible programs: the same sources give the same bytes from any clone,
# folder and time.
#
# The only time a Windows program carries is the PE header's time stamp (and
# the checksum over it). It is SOURCE_DATE_EPOCH, taken in this order from
#   1. the environment, when it is set to a number of seconds;
#   2. the commit checked out: git log -1 --format=%ct, when the source folder
#      is the top of a git work tree (not a tarball unpacked inside another);
#   3. cmake/source-date-epoch, which git archive fills with the commit time
#      (export-subst in .gitattributes), for a source tarball;
#   4. 315532800 (1980-01-01 00:00 UTC, the earliest time a zip entry can
#      hold), with a warning: builds from such a tree still agree, but their
#      time stamp says nothing.
# The linker (binutils ld 2.40) writes SOURCE_DATE_EPOCH from its environment
# into the time stamp; the program's link is run in an environment that holds
# the value chosen here, whatever the environment of the build. The value is
# also written to <build>/source-date-epoch, where tools/release reads it for
# the times of the package's entries.
#
# Build paths: the compilers map the source and build folders to "." and
# "build" in everything they record (__FILE__, debug information), so no
# path of the machine that built them is left in objects or programs.

set(LINKTO_SOURCE_DATE_EPOCH "")
set(epoch_source "")
if("$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
  set(LINKTO_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
  set(epoch_source "the environment")
endif()
find_package(Git QUIET)
if(NOT LINKTO_SOURCE_DATE_EPOCH AND GIT_EXECUTABLE)
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --show-toplevel --absolute-git-dir
                  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} RESULT_VARIABLE failed
                  OUTPUT_VARIABLE git_dirs OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT failed)
    string(REPLACE "\n" ";" git_dirs "${git_dirs}")
    list(GET git_dirs 0 top)
    list(GET git_dirs 1 git_dir)
    file(REAL_PATH "${top}" top)
    file(REAL_PATH "${CMAKE_SOURCE_DIR}" here)
    if(top STREQUAL here)
      execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} RESULT_VARIABLE failed
                      OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(NOT failed AND time MATCHES "^[0-9]+$")
        set(LINKTO_SOURCE_DATE_EPOCH ${time})
        set(epoch_source "the commit")
        # A commit or checkout appends to the reflog: configure again then.
        if(EXISTS ${git_dir}/logs/HEAD)
          set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${git_dir}/logs/HEAD)
        endif()
      endif()
    endif()
  endif()
endif()
if(NOT LINKTO_SOURCE_DATE_EPOCH)
  file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/source-date-epoch time LIMIT_COUNT 1 REGEX "^[0-9]+$")
  if(time)
    set(LINKTO_SOURCE_DATE_EPOCH ${time})
    set(epoch_source "cmake/source-date-epoch")
  endif()
endif()
if(NOT LINKTO_SOURCE_DATE_EPOCH)
  set(LINKTO_SOURCE_DATE_EPOCH 315532800)
  message(WARNING "No SOURCE_DATE_EPOCH, no git commit and no cmake/source-date-epoch: "
                  "the programs' time stamp is 1980-01-01 00:00 UTC")
else()
  message(STATUS "SOURCE_DATE_EPOCH ${LINKTO_SOURCE_DATE_EPOCH} (from ${epoch_source})")
endif()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/source-date-epoch
     CONTENT "${LINKTO_SOURCE_DATE_EPOCH}\n" @ONLY)

if(WIN32)
  # Of two maps that match, the compilers take the one given last.
  add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.
                      -ffile-prefix-map=${CMAKE_BINARY_DIR}=build)
  # The program is linked as "cmake -E env SOURCE_DATE_EPOCH=<value> g++ ...".
  set(LINKTO_LINK_AT_EPOCH ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${LINKTO_SOURCE_DATE_EPOCH})
endif()
