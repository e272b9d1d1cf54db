# The application's suite (headless, QT_QPA_PLATFORM=offscreen) and the desktop integration tests:
# every Tests/Integration/*.sh is one test, run with the build folder as its argument; one that cannot
# run here (a tool or the network it needs is missing) says why and exits with 77, which counts as skipped.
file(GLOB_RECURSE QUORVEL_APP_TEST_SOURCES CONFIGURE_DEPENDS Tests/QuorvelTests/*.cpp Tests/QuorvelTests/*.h)
add_executable(QuorvelTests ${QUORVEL_APP_TEST_SOURCES} Tests/Shared/TestSupport.cpp)
set_target_properties(QuorvelTests PROPERTIES AUTOMOC ON)
target_include_directories(QuorvelTests PRIVATE Tests/Shared Tests/QuorvelTests)
target_compile_options(QuorvelTests PRIVATE ${QUORVEL_WARNINGS})
target_compile_definitions(QuorvelTests PRIVATE
    QUORVEL_STATUS_BINARY="$<TARGET_FILE:quorvel-status>"
    QUORVEL_FIXTURES_DIR="${QUORVEL_FIXTURES_DIR}")
find_package(ZLIB REQUIRED) # the test images' own PNG writer
target_link_libraries(QuorvelTests PRIVATE QuorvelApp GTest::gtest GTest::gmock ZLIB::ZLIB PkgConfig::JPEG)
add_dependencies(QuorvelTests quorvel-status)
add_test(NAME QuorvelTests COMMAND QuorvelTests)
set_tests_properties(QuorvelTests PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")

file(GLOB QUORVEL_INTEGRATION_TESTS CONFIGURE_DEPENDS Tests/Integration/*.sh)
foreach(script ${QUORVEL_INTEGRATION_TESTS})
    get_filename_component(name ${script} NAME_WE)
    add_test(NAME Integration.${name} COMMAND bash ${script} ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(Integration.${name} PROPERTIES TIMEOUT 600 RESOURCE_LOCK desktop SKIP_RETURN_CODE 77)
endforeach()
