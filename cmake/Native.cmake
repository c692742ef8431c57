# Native Linux build: the portable core over the simulated platform, tested with GoogleTest.
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB unit_tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/unit/*.cpp
     ${PROJECT_SOURCE_DIR}/tests/contract/*.cpp)
add_executable(unit_tests ${unit_tests})
klarvex_target(unit_tests)
target_include_directories(unit_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(unit_tests PRIVATE kvx_ui kvx_sim GTest::gtest GTest::gtest_main)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60)
# The benchmark's seam timers are portable: their phase attribution is tested natively.
target_sources(unit_tests PRIVATE ${PROJECT_SOURCE_DIR}/bench/TimedPlatform.cpp)
target_include_directories(unit_tests PRIVATE ${PROJECT_SOURCE_DIR})
