# Native Linux build: the portable core over the simulated platform, tested with GoogleTest.
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB unit_tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/unit/*.cpp
     ${PROJECT_SOURCE_DIR}/tests/contract/*.cpp)
add_executable(unit_tests ${unit_tests})
klarvex_target(unit_tests)
target_include_directories(unit_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
# Reports are checked against the schema in the source tree by its Python validator.
target_compile_definitions(unit_tests PRIVATE KLARVEX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
target_link_libraries(unit_tests PRIVATE kvx_ui kvx_sim GTest::gtest GTest::gtest_main)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)
# The benchmark's seam timers are portable: their phase attribution is tested natively.
target_sources(unit_tests PRIVATE ${PROJECT_SOURCE_DIR}/bench/TimedPlatform.cpp)
target_include_directories(unit_tests PRIVATE ${PROJECT_SOURCE_DIR})

# klarvex-offline: the scan of a Windows that is not running, over its hive files (hivex) and
# its mounted disk. Built only where the hive library is installed.
find_package(PkgConfig)
if(PKG_CONFIG_FOUND)
  pkg_check_modules(HIVEX IMPORTED_TARGET hivex)
endif()
if(HIVEX_FOUND)
  klarvex_layer(kvx_offline_platform platform/offline kvx_sim PkgConfig::HIVEX)
  file(GLOB offline_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/offline/*.cpp)
  add_executable(klarvex-offline ${offline_sources})
  klarvex_target(klarvex-offline)
  target_compile_definitions(klarvex-offline PRIVATE KLARVEX_VERSION="${PROJECT_VERSION}")
  target_link_libraries(klarvex-offline PRIVATE kvx_engine kvx_offline_platform)
  include(${PROJECT_SOURCE_DIR}/tests/offline/tests.cmake)
else()
  message(STATUS "hivex not found: klarvex-offline is not built")
endif()
