# The fuzz targets (preset fuzz, clang's libFuzzer): one per reader of data that others wrote,
# each under AddressSanitizer and UBSan. Each ctest test replays the target's seeds and every
# input that once broke it, then fuzzes for a few seconds (scripts/fuzz runs one for longer).
find_package(PkgConfig REQUIRED)
pkg_check_modules(HIVEX REQUIRED IMPORTED_TARGET hivex)
klarvex_layer(kvx_offline_platform platform/offline kvx_sim PkgConfig::HIVEX)

set(KLARVEX_FUZZ_SECONDS 7 CACHE STRING "How long each ctest test fuzzes its target")
function(klarvex_fuzz_target name)
  add_executable(fuzz-${name} ${PROJECT_SOURCE_DIR}/tests/fuzz/${name}.cpp ${ARGN})
  klarvex_target(fuzz-${name})
  target_include_directories(fuzz-${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_options(fuzz-${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(fuzz-${name} PRIVATE kvx_ui kvx_offline_platform)
  add_test(NAME fuzz_${name}
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/fuzz/run.sh $<TARGET_FILE:fuzz-${name}> ${name}
                   ${KLARVEX_FUZZ_SECONDS})
endfunction()

foreach(target paths hive scan undo exclusions language klarvex-args)
  klarvex_fuzz_target(${target})
endforeach()
klarvex_fuzz_target(offline-args ${PROJECT_SOURCE_DIR}/src/offline/OfflineOptions.cpp)

# klarvex-offline itself under the sanitizers: its tests over the public hives and damaged
# copies of them, the whole engine judging what the hives hold, one profile or every one.
file(GLOB offline_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/offline/*.cpp)
add_executable(klarvex-offline-sanitized ${offline_sources})
klarvex_target(klarvex-offline-sanitized)
target_compile_definitions(klarvex-offline-sanitized PRIVATE KLARVEX_VERSION="${PROJECT_VERSION}")
target_link_libraries(klarvex-offline-sanitized PRIVATE kvx_engine kvx_offline_platform)
foreach(script hives profiles)
  add_test(NAME fuzz_offline_${script}
           COMMAND bash ${PROJECT_SOURCE_DIR}/tests/offline/${script}.sh
                   $<TARGET_FILE:klarvex-offline-sanitized> ${PROJECT_SOURCE_DIR}/tests/data/hives)
endforeach()
