# Where the program's system DLLs come from.
#
# Windows takes a DLL that is not one of its KnownDLLs from the program's own
# folder first. LinkTo is run where it was unpacked, Downloads most often,
# where a web page can drop a file named like a system DLL without asking;
# every DLL the loader binds before WinMain (the static imports and what they
# import) would be looked for there. So the program imports only KERNEL32 and
# msvcrt at start, both KnownDLLs on every Windows. Every other system DLL is
# a delay import: the toolchain's helper (__delayLoadHelper2 in libmingwex)
# loads it by name at its first call, after the entry has restricted the
# search to the system folder (src/app/dll_search_win.cpp).
#
# The functions of each DLL are listed here. One that the code calls and that
# is not listed is bound at start from the ordinary import library; the PE
# check of the program (tests/pe/check_pe.sh) then fails.
set(linkto_delay_dlls ADVAPI32 COMCTL32 ole32 SHELL32 USER32)
set(linkto_delay_ADVAPI32
    RegCloseKey RegCreateKeyExW RegDeleteKeyW RegOpenKeyExW RegQueryValueExW RegSetValueExW)
# InitCommonControls by ordinal 17, as the system exports it.
set(linkto_delay_COMCTL32 InitCommonControls@17)
set(linkto_delay_ole32 CoCreateInstance CoInitialize CoUninitialize)
set(linkto_delay_SHELL32
    SHBrowseForFolderW SHGetDesktopFolder SHGetFileInfoW SHGetMalloc SHGetPathFromIDListW
    SHGetSpecialFolderLocation ShellExecuteW)
set(linkto_delay_USER32
    BeginDeferWindowPos CheckDlgButton CheckMenuItem DefWindowProcW DeferWindowPos
    DialogBoxParamW EnableWindow EndDeferWindowPos EndDialog GetClientRect GetCursorPos
    GetDlgItem GetMenuItemCount GetMenuItemID GetParent GetPropA GetSystemMenu GetWindowLongW
    GetWindowRect GetWindowTextLengthW GetWindowTextW InsertMenuW IsChild IsDlgButtonChecked
    LoadStringW MessageBoxW RemovePropA ScreenToClient SendDlgItemMessageW SendMessageW
    SetDlgItemTextW SetPropA SetWindowLongPtrW SetWindowPos SystemParametersInfoW)

# The 32-bit import symbols carry the stdcall decoration (_Name@bytes); the
# toolchain's own import library tells each function's bytes, and dlltool -k
# imports it by its plain name.
find_program(LINKTO_NM NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-nm nm REQUIRED)
set(linkto_delay_libraries)
set(linkto_delay_stubs)
foreach(dll ${linkto_delay_dlls})
  string(TOLOWER ${dll} lower)
  set(exports)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    find_library(LINKTO_IMPORT_LIB_${dll} NAMES ${lower} REQUIRED)
    execute_process(COMMAND ${LINKTO_NM} ${LINKTO_IMPORT_LIB_${dll}}
                    OUTPUT_VARIABLE symbols ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
  endif()
  foreach(function ${linkto_delay_${dll}})
    set(ordinal)
    if(function MATCHES "^(.*)@([0-9]+)$")
      set(function ${CMAKE_MATCH_1})
      set(ordinal " @${CMAKE_MATCH_2} NONAME")
    endif()
    set(name ${function})
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      # The pointer-sized forms are the plain 32-bit calls there.
      string(REPLACE "LongPtr" "Long" function ${function})
      string(REGEX MATCH "__imp__${function}@[0-9]+" name "${symbols}")
      if(NOT name)
        message(FATAL_ERROR "${LINKTO_IMPORT_LIB_${dll}} does not export ${function}")
      endif()
      string(REPLACE "__imp__" "" name ${name})
      list(APPEND linkto_delay_stubs -Wl,-u,_${name})
    endif()
    string(APPEND exports "${name}${ordinal}\n")
  endforeach()
  set(def ${CMAKE_BINARY_DIR}/delay/${lower}.def)
  set(lib ${CMAKE_BINARY_DIR}/delay/lib${lower}_delay.a)
  # Written only when it changes, so the program is not linked again at
  # every configure.
  file(CONFIGURE OUTPUT ${def} CONTENT "LIBRARY ${dll}.dll\nEXPORTS\n${exports}")
  add_custom_command(OUTPUT ${lib}
                     COMMAND ${CMAKE_DLLTOOL} -k --input-def ${def} --output-delaylib ${lib}
                     DEPENDS ${def})
  list(APPEND linkto_delay_libraries ${lib})
endforeach()
add_custom_target(linkto_delay_libraries_built DEPENDS ${linkto_delay_libraries})

# What the program's code links against: the delay libraries first, so every
# function listed above is taken from them; the ordinary import libraries
# after them, for what the tests call beside the program's code.
add_library(linkto_system_dlls INTERFACE)
target_link_libraries(linkto_system_dlls INTERFACE ${linkto_delay_libraries} comctl32_ordinal
                                                   ole32 shell32 uuid advapi32 user32)
add_dependencies(linkto_system_dlls linkto_delay_libraries_built)
# The 32-bit linker leaves out the code of a delay import's stub (the jump to
# the helper) when only the function's __imp_ symbol is referenced, as every
# call through the system headers' declarations does: the function's address
# table entry then holds 0, and its first call jumps there. Asking for every
# stub by its own name keeps them all.
target_link_options(linkto_system_dlls INTERFACE ${linkto_delay_stubs})
