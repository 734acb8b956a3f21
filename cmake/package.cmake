# The release package, dist/linkto-<version>.zip (tools/release makes it):
#
#   linkto-<version>/x86/linkto.exe     the i686 program (win32 build)
#   linkto-<version>/x64/linkto.exe     the x86_64 program (win64 build, the one tested)
#   linkto-<version>/README-ja.md       user guide, Japanese (docs/user-guide.ja.md)
#   linkto-<version>/README-en.md       user guide, English (docs/user-guide.en.md)
#   linkto-<version>/LICENSE
#   linkto-<version>/docs/*.png         the screenshots the guides show
#
# Every Windows build installs its linkto.exe under x86/ or x64/. The build
# that packs is the one given LINKTO_PACKAGE_TREES, the other builds whose
# install rules the package takes in; it installs the documents as well.
# tools/release installs that build and those trees into one folder and packs
# it (tools/pack_zip.py: fixed order, times and permissions).

set(LINKTO_PACKAGE_TREES "" CACHE STRING
    "Other build trees packed along with this one by tools/release")

# The packed program's time stamp is the sources' (cmake/reproducible.cmake).
set_property(TARGET linkto PROPERTY CXX_LINKER_LAUNCHER ${LINKTO_LINK_AT_EPOCH})

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  install(TARGETS linkto RUNTIME DESTINATION x86)
else()
  install(TARGETS linkto RUNTIME DESTINATION x64)
endif()

if(LINKTO_PACKAGE_TREES)
  # The guides as Windows users open them: CRLF line ends, a UTF-8 byte order
  # mark (older Notepad takes a file without one for code page 932), and the
  # screenshots addressed from the top of the package, under docs/.
  set(staging ${CMAKE_BINARY_DIR}/package-files)
  string(ASCII 239 187 191 bom)
  foreach(pair "docs/user-guide.ja.md:README-ja.md" "docs/user-guide.en.md:README-en.md"
               "LICENSE:LICENSE")
    string(REPLACE ":" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 target)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${source})
    file(READ ${CMAKE_SOURCE_DIR}/${source} text)
    string(REGEX REPLACE "\\]\\(([A-Za-z0-9_.-]+\\.png)\\)" "](docs/\\1)" text "${text}")
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    if(target MATCHES "\\.md$")
      set(text "${bom}${text}")
    endif()
    file(WRITE ${staging}/${target} "${text}")
    install(FILES ${staging}/${target} DESTINATION .)
  endforeach()
  install(FILES docs/destination-dialog.png docs/menu-items-dialog.png
                docs/command-line-dialog.png docs/destination-dialog.en.png
                docs/menu-items-dialog.en.png docs/command-line-dialog.en.png DESTINATION docs)
endif()
