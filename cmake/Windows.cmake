# Windows build (MinGW-w64): the real Win32 backends, Klarvex.exe, and the tests that run under Wine.
add_link_options(-static -Wl,--nxcompat -Wl,--dynamicbase)
# The same sources give the same bytes in any folder at any time: no build paths in the objects
# and no link time in the executable's header.
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>
                    $<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>)
add_link_options(-Wl,--no-insert-timestamp)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

# The JSON library is header-only (Debian's nlohmann-json3-dev). Only its own folder goes on the
# cross compiler's include path: /usr/include holds the Linux C library's headers.
set(KLARVEX_JSON_INCLUDE ${PROJECT_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${KLARVEX_JSON_INCLUDE})
file(CREATE_LINK /usr/include/nlohmann ${KLARVEX_JSON_INCLUDE}/nlohmann SYMBOLIC)
target_include_directories(kvx_engine SYSTEM PRIVATE ${KLARVEX_JSON_INCLUDE})

klarvex_layer(kvx_platform_win32 platform/win32 kvx_platform)
# ole32 frees the known folder's text, uuid holds the known folders' identifiers; oleaut32 the
# shell's automation texts, ntdll the creation of a folder relative to a held one.
target_link_libraries(kvx_platform_win32 PUBLIC advapi32 shell32 ole32 oleaut32 uuid ntdll kernel32)

file(GLOB ui_win32_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/ui/win32/*.cpp)
list(FILTER ui_win32_sources EXCLUDE REGEX "WinMain\\.cpp$")
add_library(kvx_ui_win32 STATIC ${ui_win32_sources})
klarvex_target(kvx_ui_win32)
target_link_libraries(kvx_ui_win32 PUBLIC kvx_ui kvx_platform_win32 user32 gdi32 comctl32 shell32)

add_executable(Klarvex WIN32 ${PROJECT_SOURCE_DIR}/src/ui/win32/WinMain.cpp
               ${PROJECT_SOURCE_DIR}/resources/Klarvex.rc)
klarvex_target(Klarvex)
target_link_libraries(Klarvex PRIVATE kvx_ui_win32)
# Terminal-server aware: on a Remote Desktop host Windows then gives the program the real
# Windows folder, not a per-user one where a regedit.exe of anyone's choosing could lie.
target_link_options(Klarvex PRIVATE -Wl,--tsaware)
set_target_properties(Klarvex PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
# The link map names every library linked into the program, for the third-party notices' test.
target_link_options(Klarvex PRIVATE -Wl,-Map=${PROJECT_BINARY_DIR}/Klarvex.map)
# The version resource and the manifest take the project's version from files made here; the
# packaging reads version.txt. The manifest's assemblyIdentity needs four numbers: the last is 0.
# The copyright line is the licence's own.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE KLARVEX_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)
configure_file(${PROJECT_SOURCE_DIR}/resources/Version.h.in ${PROJECT_BINARY_DIR}/version/Version.h
               @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/Klarvex.manifest.in
               ${PROJECT_BINARY_DIR}/version/Klarvex.manifest @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
# windres finds the files the resources name, but the build does not see them change.
set_source_files_properties(${PROJECT_SOURCE_DIR}/resources/Klarvex.rc PROPERTIES OBJECT_DEPENDS
  "${PROJECT_BINARY_DIR}/version/Klarvex.manifest;${PROJECT_SOURCE_DIR}/resources/Klarvex.ico")
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/version.txt CONTENT "@PROJECT_VERSION@\n")
target_include_directories(Klarvex PRIVATE ${PROJECT_BINARY_DIR}/version)
# The translator's template ships beside the program; it holds the built-in texts, so the
# program looks the same with it and without it.
add_custom_command(TARGET Klarvex POST_BUILD COMMAND ${CMAKE_COMMAND} -E copy_if_different
                   ${PROJECT_SOURCE_DIR}/resources/English.ini ${PROJECT_BINARY_DIR}/English.ini)

# The same program with UTF-8 as its code page (the manifest's activeCodePage), as a system with
# "Use Unicode UTF-8 for worldwide language support" runs it: for one end-to-end run.
file(READ ${PROJECT_BINARY_DIR}/version/Klarvex.manifest klarvex_manifest)
string(REPLACE "</windowsSettings>" "  <activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">UTF-8</activeCodePage>
    </windowsSettings>" klarvex_manifest "${klarvex_manifest}")
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/utf8/KlarvexUtf8.manifest CONTENT "${klarvex_manifest}")
add_executable(KlarvexUtf8 WIN32 ${PROJECT_SOURCE_DIR}/src/ui/win32/WinMain.cpp
               ${PROJECT_SOURCE_DIR}/resources/Klarvex.rc)
klarvex_target(KlarvexUtf8)
target_compile_definitions(KlarvexUtf8 PRIVATE KLARVEX_UTF8)
target_include_directories(KlarvexUtf8 PRIVATE ${PROJECT_BINARY_DIR}/utf8 ${PROJECT_BINARY_DIR}/version)
target_link_libraries(KlarvexUtf8 PRIVATE kvx_ui_win32)
target_link_options(KlarvexUtf8 PRIVATE -Wl,--tsaware)
set_target_properties(KlarvexUtf8 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})

# GoogleTest from Debian's sources, built with our cross compiler.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

file(GLOB win_tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/win/*.cpp
     ${PROJECT_SOURCE_DIR}/tests/contract/*.cpp)
add_executable(win_tests ${win_tests})
klarvex_target(win_tests)
target_include_directories(win_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(win_tests PRIVATE kvx_ui_win32 gtest gtest_main)
set_target_properties(win_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
# One ctest entry for the whole executable: each start under Wine costs a fraction of a second.
add_test(NAME win_tests COMMAND win_tests --gtest_color=no)
set_tests_properties(win_tests PROPERTIES TIMEOUT 900)

# The same platform with the process's code page UTF-8 (the manifest's activeCodePage): the
# registry contract tests and the clean of text outside the code page.
add_executable(win_tests_utf8 ${PROJECT_SOURCE_DIR}/tests/contract/RegistryContractTest.cpp
               ${PROJECT_SOURCE_DIR}/tests/win/ContractBackendWin32.cpp
               ${PROJECT_SOURCE_DIR}/tests/win/TextOutsideCodePageWineTest.cpp
               ${PROJECT_SOURCE_DIR}/tests/win/utf8/CodePageUtf8.rc)
klarvex_target(win_tests_utf8)
target_include_directories(win_tests_utf8 PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(win_tests_utf8 PRIVATE kvx_engine kvx_platform_win32 gtest gtest_main)
set_target_properties(win_tests_utf8 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
add_test(NAME win_tests_utf8 COMMAND win_tests_utf8 --gtest_color=no)
set_tests_properties(win_tests_utf8 PROPERTIES TIMEOUT 900)

# The end-to-end test driver: finds Klarvex's window, clicks, reads texts.
file(GLOB e2e_driver CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/e2e/driver/*.cpp)
if(e2e_driver)
  add_executable(kvxdriver ${e2e_driver})
  klarvex_target(kvxdriver)
  # uuid before oleacc: oleacc's import library offers IID_IAccessible as a code stub, not the
  # identifier itself, and a query with it finds no interface.
  target_link_libraries(kvxdriver PRIVATE user32 gdi32 comctl32 advapi32 uuid oleacc oleaut32 ole32)
  set_target_properties(kvxdriver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
endif()

# The benchmark's console program: one clean run through the headless host, timed at the
# platform seams, beside the bare walks (scripts/bench runs it under Wine).
add_executable(KlarvexBench ${PROJECT_SOURCE_DIR}/bench/HeadlessMain.cpp
               ${PROJECT_SOURCE_DIR}/bench/BareWalk.cpp ${PROJECT_SOURCE_DIR}/bench/TimedPlatform.cpp)
klarvex_target(KlarvexBench)
target_include_directories(KlarvexBench PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(KlarvexBench PRIVATE kvx_engine kvx_platform_win32 psapi user32)
set_target_properties(KlarvexBench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
